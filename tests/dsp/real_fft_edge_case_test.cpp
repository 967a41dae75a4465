// Known spectra of simple signals, the round trips, and the small orders'
// fixed formulas, through the entry points.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "dsp/primitives.h"

namespace {

struct Spec {
    RealFftSpec* spec = nullptr;
    Spec(int order, std::int32_t flag) { EXPECT_EQ(RealFftInitAlloc(&spec, order, flag, 0), StatusOk); }
    ~Spec() { RealFftFree(spec); }
};

std::vector<float> Forward(const std::vector<float>& x, int order, std::int32_t flag = FftScaleInverse) {
    Spec s(order, flag);
    std::vector<float> out(x.size());
    EXPECT_EQ(RealFftForward(x.data(), out.data(), s.spec, nullptr), StatusOk);
    return out;
}

// Every float of a PackedSpectrum against the expected one, within a tolerance
// that scales with the spectrum's size.
void ExpectPacked(const std::vector<float>& got, const std::vector<float>& want, double tolerance,
                  int order) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], want[i], tolerance) << "order " << order << " float " << i;
}

TEST(RealFftEdgeCases, ImpulseGivesAllOnes) {
    for (int order = 0; order <= 12; ++order) {
        const std::size_t n = std::size_t(1) << order;
        std::vector<float> x(n, 0.0f);
        x[0] = 1.0f;
        std::vector<float> want(n, 0.0f);
        want[0] = 1.0f;
        if (n > 1) want[1] = 1.0f;
        for (std::size_t k = 1; k < n / 2; ++k) want[2 * k] = 1.0f;
        ExpectPacked(Forward(x, order), want, 0.0, order);
    }
}

TEST(RealFftEdgeCases, ConstantAndAlternatingFillTheRealEnds) {
    for (int order = 1; order <= 12; ++order) {
        const std::size_t n = std::size_t(1) << order;
        const double tolerance = 1e-6 * static_cast<double>(n);
        std::vector<float> constant(n, 1.0f), alternating(n);
        for (std::size_t i = 0; i < n; ++i) alternating[i] = (i % 2 == 0) ? 1.0f : -1.0f;
        std::vector<float> wantConstant(n, 0.0f), wantAlternating(n, 0.0f);
        wantConstant[0] = static_cast<float>(n);
        wantAlternating[1] = static_cast<float>(n);
        ExpectPacked(Forward(constant, order), wantConstant, tolerance, order);
        ExpectPacked(Forward(alternating, order), wantAlternating, tolerance, order);
    }
}

TEST(RealFftEdgeCases, CosineAndSineLandInBinOneWithNegativeExponent) {
    for (int order = 2; order <= 12; ++order) {
        const std::size_t n = std::size_t(1) << order;
        const double tolerance = 2e-6 * static_cast<double>(n);
        std::vector<float> cosine(n), sine(n);
        for (std::size_t i = 0; i < n; ++i) {
            const double angle = 2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n);
            cosine[i] = static_cast<float>(std::cos(angle));
            sine[i] = static_cast<float>(std::sin(angle));
        }
        std::vector<float> wantCosine(n, 0.0f), wantSine(n, 0.0f);
        const float half = static_cast<float>(n) / 2.0f;
        wantCosine[2] = half;
        wantSine[3] = -half;
        ExpectPacked(Forward(cosine, order), wantCosine, tolerance, order);
        ExpectPacked(Forward(sine, order), wantSine, tolerance, order);
    }
}

TEST(RealFftEdgeCases, RoundTripReturnsInputWithInverseScalingAndNTimesUnscaled) {
    for (int order = 0; order <= 14; ++order) {
        const std::size_t n = std::size_t(1) << order;
        std::vector<float> x(n);
        for (std::size_t i = 0; i < n; ++i)
            x[i] = std::sin(0.37f * static_cast<float>(i)) + 0.25f * static_cast<float>(i % 5);
        for (std::int32_t flag : {FftScaleInverse, FftNoScale, FftScaleForward, FftScaleSqrt}) {
            Spec s(order, flag);
            std::vector<float> spectrum(n), back(n);
            ASSERT_EQ(RealFftForward(x.data(), spectrum.data(), s.spec, nullptr), StatusOk);
            ASSERT_EQ(RealFftInverse(spectrum.data(), back.data(), s.spec, nullptr), StatusOk);
            const double gain = (flag == FftNoScale) ? static_cast<double>(n) : 1.0;
            for (std::size_t i = 0; i < n; ++i)
                ASSERT_NEAR(back[i], gain * x[i], gain * 2e-6 * (order + 1))
                    << "order " << order << " flag " << flag;
        }
    }
}

TEST(RealFftEdgeCases, OrderZeroCopiesTimesFactor) {
    const std::vector<float> x{3.0f};
    EXPECT_EQ(Forward(x, 0, FftNoScale)[0], 3.0f);
    EXPECT_EQ(Forward(x, 0, FftScaleForward)[0], 3.0f);  // 1/N = 1
    Spec s(0, FftScaleInverse);
    float y = 0.0f;
    ASSERT_EQ(RealFftInverse(x.data(), &y, s.spec, nullptr), StatusOk);
    EXPECT_EQ(y, 3.0f);
}

}  // namespace
