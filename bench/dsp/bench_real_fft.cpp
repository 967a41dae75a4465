// One forward + inverse pair of N = 2048 through TQCRealFFT (per processor
// class this machine can run) and through FFTW's single-precision real
// transforms with FFTW_MEASURE plans, then the ratio of the two times.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "dsp/cpu_type.h"
#include "dsp/primitive_dispatch.h"
#include "dsp/tqc_real_fft.h"

namespace {

constexpr int kLength = 2048;

std::vector<float> TestSignal()
{
    std::vector<float> x(kLength);
    for (int i = 0; i < kLength; ++i) x[i] = std::sin(0.05f * static_cast<float>(i)) + 0.001f * static_cast<float>(i % 17);
    return x;
}

void TQCRealFFTPair(benchmark::State& state)
{
    const auto primitiveClass = static_cast<std::int32_t>(state.range(0));
    if (primitiveClass > CpuTypeToClass()) {
        state.SkipWithError("processor lacks this class's instruction set");
        return;
    }
    FillDispatchTable(primitiveClass);
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
    SelectPrimitiveClass();
}

void FftwPair(benchmark::State& state)
{
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
BENCHMARK(TQCRealFFTPair)->Name("TQCRealFFT_2048_forward_inverse/class")->DenseRange(0, 3)->Repetitions(kRepetitions);
BENCHMARK(FftwPair)->Name("FFTW_2048_forward_inverse")->Repetitions(kRepetitions);

class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
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

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    SelectPrimitiveClass();
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto& t = reporter.fastestCpuNanoseconds;
    const char* fftwName = "FFTW_2048_forward_inverse";
    std::printf("\nprocessor class %d selected; fastest CPU time per forward + inverse pair of 2048:\n",
                CpuTypeToClass());
    if (t.count(fftwName)) std::printf("  FFTW (single precision, FFTW_MEASURE)  %8.0f ns\n", t.at(fftwName));
    for (int c = 0; c < 4; ++c) {
        const std::string own = "TQCRealFFT_2048_forward_inverse/class/" + std::to_string(c);
        if (!t.count(own)) continue;
        std::printf("  TQCRealFFT, class %d                    %8.0f ns", c, t.at(own));
        if (t.count(fftwName)) std::printf("   ratio to FFTW %.2f", t.at(own) / t.at(fftwName));
        std::printf("\n");
    }
    return 0;
}
