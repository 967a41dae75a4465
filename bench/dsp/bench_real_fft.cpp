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

BENCHMARK(TQCRealFFTPair)->Name("TQCRealFFT_2048_forward_inverse/class")->DenseRange(0, 3);
BENCHMARK(FftwPair)->Name("FFTW_2048_forward_inverse");

class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration)
                nanoseconds[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> nanoseconds;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    SelectPrimitiveClass();
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto& t = reporter.nanoseconds;
    const std::string own = "TQCRealFFT_2048_forward_inverse/class/" + std::to_string(CpuTypeToClass());
    if (t.count(own) && t.count("FFTW_2048_forward_inverse")) {
        const double fftw = t.at("FFTW_2048_forward_inverse");
        std::printf("\nprocessor class %d selected\n", CpuTypeToClass());
        std::printf("TQCRealFFT / FFTW time ratio: %.2f\n", t.at(own) / fftw);
    }
    return 0;
}
