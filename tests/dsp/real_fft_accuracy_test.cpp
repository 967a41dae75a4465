// The real FFT primitives against independent double-precision references:
// every order 0..16, both directions, every scaling flag, in place and out of
// place, on random input; through the entry points and through every kernel
// this processor can run (each class's own and the wide ones).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "dsp/detail/variants/kernel_choice.h"
#include "dsp/primitives.h"
#include "tests/dsp/dft_reference.h"

namespace {

using dft_reference::Complex;

constexpr int kMaxTestedOrder = 16;
constexpr float kSentinel = 12345.0f;
constexpr int kGuard = 8;  // floats of sentinels past each output
constexpr std::int32_t kFlags[] = {FftScaleForward, FftScaleInverse, FftScaleSqrt, FftNoScale};

double AccuracyBound(std::size_t n) { return 2e-7 * std::max(1.0, std::log2(static_cast<double>(n))); }

double ForwardFactor(std::int32_t flag, std::size_t n) {
    if (flag == FftScaleForward) return 1.0 / static_cast<double>(n);
    if (flag == FftScaleSqrt) return 1.0 / std::sqrt(static_cast<double>(n));
    return 1.0;
}

double InverseFactor(std::int32_t flag, std::size_t n) {
    if (flag == FftScaleInverse) return 1.0 / static_cast<double>(n);
    if (flag == FftScaleSqrt) return 1.0 / std::sqrt(static_cast<double>(n));
    return 1.0;
}

struct SpecHolder {
    RealFftSpec* spec = nullptr;
    ~SpecHolder() { RealFftFree(spec); }
};

// A transform direction under test: out of place and in place.
struct Direction {
    const char* name;
    RealFftOutOfPlaceCode outOfPlace;
    RealFftInPlaceCode inPlace;  // null: outOfPlace with src == dst
};

// The entry points first, then every kernel this processor can run.
std::vector<Direction> Directions(bool forward) {
    std::vector<Direction> directions{
        forward ? Direction{"entry points", &RealFftForward, &RealFftForwardInPlace}
                : Direction{"entry points", &RealFftInverse, &RealFftInverseInPlace}};
    for (const RealFftKernel& k : RunnableRealFftKernels())
        directions.push_back({k.name, forward ? k.forward : k.inverse, nullptr});
    return directions;
}

std::int32_t RunInPlace(const Direction& d, float* buf, const RealFftSpec* spec) {
    return d.inPlace != nullptr ? d.inPlace(buf, spec, nullptr) : d.outOfPlace(buf, buf, spec, nullptr);
}

// Runs `direction` out of place and in place on `input`, checks that both give
// the same bits, that nothing past the N outputs is written, and that an
// out-of-place call leaves its source alone. Returns the out-of-place result.
template <class Transform, class InPlaceTransform>
std::vector<float> RunBothWays(const std::vector<float>& input, Transform transform,
                               InPlaceTransform inPlace) {
    const std::size_t n = input.size();
    std::vector<float> src = input;
    std::vector<float> dst(n + kGuard, kSentinel);
    EXPECT_EQ(transform(src.data(), dst.data()), StatusOk);
    EXPECT_EQ(src, input) << "out-of-place transform changed its source";

    std::vector<float> buf(input);
    buf.resize(n + kGuard, kSentinel);
    EXPECT_EQ(inPlace(buf.data()), StatusOk);
    EXPECT_EQ(std::memcmp(buf.data(), dst.data(), (n + kGuard) * sizeof(float)), 0)
        << "in place and out of place differ (or wrote past the end)";
    for (int g = 0; g < kGuard; ++g) EXPECT_EQ(dst[n + g], kSentinel) << "wrote past the output at " << g;
    dst.resize(n);
    return dst;
}

TEST(RealFftAccuracy, ForwardMatchesReferenceForEveryOrderFlagAndKernel) {
    for (const Direction& direction : Directions(true)) {
        SCOPED_TRACE(direction.name);
        double worstRatio = 0.0, worstError = 0.0;
        for (int order = 0; order <= kMaxTestedOrder; ++order) {
            const std::size_t n = std::size_t(1) << order;
            const std::vector<float> x = dft_reference::RandomSignal(n, 1000u + order);
            const std::vector<double> packed = dft_reference::Packed(dft_reference::RealSpectrum(x), n);
            for (std::int32_t flag : kFlags) {
                SpecHolder holder;
                ASSERT_EQ(RealFftInitAlloc(&holder.spec, order, flag, 0), StatusOk);
                const std::vector<float> got = RunBothWays(
                    x,
                    [&](const float* s, float* d) {
                        return direction.outOfPlace(s, d, holder.spec, nullptr);
                    },
                    [&](float* b) { return RunInPlace(direction, b, holder.spec); });
                std::vector<double> want = packed;
                for (double& v : want) v *= ForwardFactor(flag, n);
                const double error = dft_reference::RelativeRmsError(got.data(), want);
                EXPECT_LE(error, AccuracyBound(n)) << "order " << order << " flag " << flag;
                worstRatio = std::max(worstRatio, error / AccuracyBound(n));
                worstError = std::max(worstError, error);
            }
        }
        std::printf("forward, %s: worst relative RMS error %.3g, at most %.3f of the bound\n", direction.name,
                    worstError, worstRatio);
    }
}

TEST(RealFftAccuracy, InverseMatchesReferenceForEveryOrderFlagAndKernel) {
    for (const Direction& direction : Directions(false)) {
        SCOPED_TRACE(direction.name);
        double worstRatio = 0.0, worstError = 0.0;
        for (int order = 0; order <= kMaxTestedOrder; ++order) {
            const std::size_t n = std::size_t(1) << order;
            const std::vector<float> packed = dft_reference::RandomSignal(n, 2000u + order);
            const std::vector<double> samples =
                dft_reference::RealSamples(dft_reference::Unpacked(packed.data(), n), n);
            for (std::int32_t flag : kFlags) {
                SpecHolder holder;
                ASSERT_EQ(RealFftInitAlloc(&holder.spec, order, flag, 0), StatusOk);
                const std::vector<float> got = RunBothWays(
                    packed,
                    [&](const float* s, float* d) {
                        return direction.outOfPlace(s, d, holder.spec, nullptr);
                    },
                    [&](float* b) { return RunInPlace(direction, b, holder.spec); });
                std::vector<double> want = samples;
                for (double& v : want) v *= InverseFactor(flag, n);
                const double error = dft_reference::RelativeRmsError(got.data(), want);
                EXPECT_LE(error, AccuracyBound(n)) << "order " << order << " flag " << flag;
                worstRatio = std::max(worstRatio, error / AccuracyBound(n));
                worstError = std::max(worstError, error);
            }
        }
        std::printf("inverse, %s: worst relative RMS error %.3g, at most %.3f of the bound\n", direction.name,
                    worstError, worstRatio);
    }
}

// The long-length reference is itself checked against the direct DFT, so the
// orders above 12 rest on an independently verified reference.
TEST(RealFftAccuracy, RecursiveReferenceAgreesWithDirectDft) {
    const std::vector<float> x = dft_reference::RandomSignal(1024, 7);
    std::vector<Complex> z(x.begin(), x.end());
    const std::vector<Complex> direct = dft_reference::DirectDft(z, -1);
    dft_reference::RecursiveFft(z, -1);
    double worst = 0.0;
    for (std::size_t k = 0; k < z.size(); ++k) worst = std::max(worst, std::abs(z[k] - direct[k]));
    EXPECT_LT(worst, 1e-9);
}

}  // namespace
