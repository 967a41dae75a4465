// One forward + inverse pair of N = 2048 through TQCRealFFT with the selection
// the effect makes, through every transform kernel this machine can run (each
// class's own and the wide ones, called directly), and through FFTW's
// single-precision real transforms with FFTW_MEASURE plans; then the ratios.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "dsp/cpu_type.h"
#include "dsp/detail/variants/kernel_choice.h"
#include "dsp/fft_status.h"
#include "dsp/primitive_dispatch.h"
#include "dsp/primitives.h"
#include "dsp/tqc_real_fft.h"

namespace {

constexpr int kLength = 2048;

std::vector<float> TestSignal() {
    std::vector<float> x(kLength);
    for (int i = 0; i < kLength; ++i)
        x[i] = std::sin(0.05f * static_cast<float>(i)) + 0.001f * static_cast<float>(i % 17);
    return x;
}

void TQCRealFFTPair(benchmark::State& state) {
    SelectPrimitiveClass();
    const std::vector<float> x = TestSignal();
    std::vector<float> spectrum(kLength + 2), y(kLength);
    TQCRealFFT fft;
    fft.forward(x.data(), spectrum.data(), kLength);  // builds the spec outside the timing
    for (auto _ : state) {
        fft.forward(x.data(), spectrum.data(), kLength);
        fft.inverse(spectrum.data(), y.data(), kLength);
        benchmark::DoNotOptimize(y.data());
        benchmark::ClobberMemory();
    }
}

void KernelPair(benchmark::State& state) {
    const RealFftKernel kernel = RunnableRealFftKernels().at(static_cast<std::size_t>(state.range(0)));
    const std::vector<float> x = TestSignal();
    std::vector<float> spectrum(kLength), y(kLength);
    RealFftSpec* spec = nullptr;
    RealFftInitAlloc(&spec, 11, FftScaleInverse, 1);
    for (auto _ : state) {
        kernel.forward(x.data(), spectrum.data(), spec, nullptr);
        kernel.inverse(spectrum.data(), y.data(), spec, nullptr);
        benchmark::DoNotOptimize(y.data());
        benchmark::ClobberMemory();
    }
    RealFftFree(spec);
    state.SetLabel(kernel.name);
}

void FftwPair(benchmark::State& state) {
    float* in = fftwf_alloc_real(kLength);
    fftwf_complex* spectrum = fftwf_alloc_complex(kLength / 2 + 1);
    float* out = fftwf_alloc_real(kLength);
    fftwf_plan forward = fftwf_plan_dft_r2c_1d(kLength, in, spectrum, FFTW_MEASURE);
    fftwf_plan inverse = fftwf_plan_dft_c2r_1d(kLength, spectrum, out, FFTW_MEASURE);
    // Planning overwrote the arrays. The out-of-place forward keeps its input;
    // the inverse destroys only the spectrum, which the forward rewrites.
    const std::vector<float> x = TestSignal();
    for (int i = 0; i < kLength; ++i) in[i] = x[i];
    for (auto _ : state) {
        fftwf_execute(forward);
        fftwf_execute(inverse);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    fftwf_destroy_plan(forward);
    fftwf_destroy_plan(inverse);
    fftwf_free(in);
    fftwf_free(spectrum);
    fftwf_free(out);
}

// Repeated runs, since the ratio uses each benchmark's fastest repetition:
// on a shared machine that is the figure least disturbed by other work.
constexpr int kRepetitions = 5;
BENCHMARK(TQCRealFFTPair)->Name("TQCRealFFT_2048_forward_inverse")->Repetitions(kRepetitions);
BENCHMARK(KernelPair)
    ->Name("RealFft_2048_forward_inverse/kernel")
    ->DenseRange(0, static_cast<int>(RunnableRealFftKernels().size()) - 1)
    ->Repetitions(kRepetitions);
BENCHMARK(FftwPair)->Name("FFTW_2048_forward_inverse")->Repetitions(kRepetitions);

class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            std::string name = run.benchmark_name();
            name = name.substr(0, name.find("/repeats:"));
            const double cpu = run.GetAdjustedCPUTime();
            if (!fastestCpuNanoseconds.count(name) || cpu < fastestCpuNanoseconds[name])
                fastestCpuNanoseconds[name] = cpu;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> fastestCpuNanoseconds;
};

}  // namespace

int main(int argc, char** argv) {
    // Repetitions run interleaved in random order by default, so a drift in
    // the machine's speed (other work, clock changes) falls on every
    // benchmark alike instead of on whichever runs first; a flag given on the
    // command line still wins.
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> args(argv, argv + argc);
    args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    SelectPrimitiveClass();
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto& t = reporter.fastestCpuNanoseconds;
    const char* fftwName = "FFTW_2048_forward_inverse";
    const RealFftKernel* wide = ChosenWideKernel();
    std::printf(
        "\nprocessor class %d selected, wide kernel %s; fastest CPU time per forward + inverse pair of "
        "2048:\n",
        CpuTypeToClass(), wide != nullptr ? wide->name : "none");
    const auto row = [&](const std::string& label, const std::string& name) {
        if (!t.count(name)) return;
        std::printf("  %-40s %8.0f ns", label.c_str(), t.at(name));
        if (t.count(fftwName)) std::printf("   ratio to FFTW %.2f", t.at(name) / t.at(fftwName));
        std::printf("\n");
    };
    row("FFTW (single precision, FFTW_MEASURE)", fftwName);
    row("TQCRealFFT as the effect selects", "TQCRealFFT_2048_forward_inverse");
    const std::vector<RealFftKernel> kernels = RunnableRealFftKernels();
    for (std::size_t i = 0; i < kernels.size(); ++i)
        row(std::string("kernel ") + kernels[i].name + " (primitives only)",
            "RealFft_2048_forward_inverse/kernel/" + std::to_string(i));
    return 0;
}
