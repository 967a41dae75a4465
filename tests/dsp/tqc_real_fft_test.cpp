// TQCRealFFT through its public operations: the PaddedSpectrum layout against a
// double-precision DFT, the round trip, the src[1] rewrite, and when it builds
// its spec (counted by a wrapper installed in the initialisation slot).
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <vector>

#include "dsp/detail/primitive_slots.h"
#include "dsp/primitives.h"
#include "dsp/tqc_real_fft.h"
#include "dsp/detail/variants/class_variants.h"
#include "tests/dsp/dft_reference.h"

namespace {

std::atomic<int> g_specBuilds{0};

std::int32_t CountingInitAlloc(RealFftSpec** out, std::int32_t order, std::int32_t flag, std::int32_t hint) {
    g_specBuilds.fetch_add(1, std::memory_order_relaxed);
    return class0_generic::RealFftInitAlloc(out, order, flag, hint);
}

// Routes spec building through CountingInitAlloc for the life of the object.
class SpecBuildCounter {
public:
    SpecBuildCounter() : saved_(g_primitiveSlots[kSlotRealFftInitAlloc].load()) {
        g_specBuilds = 0;
        g_primitiveSlots[kSlotRealFftInitAlloc].store(PrimitiveCode{.initAlloc = &CountingInitAlloc});
    }
    ~SpecBuildCounter() { g_primitiveSlots[kSlotRealFftInitAlloc].store(saved_); }
    int builds() const { return g_specBuilds.load(); }

private:
    PrimitiveCode saved_;
};

TEST(TQCRealFFT, ForwardWritesPaddedSpectrumOfTheInput) {
    for (int n : {1, 2, 4, 8, 16, 64, 2048}) {
        const std::vector<float> x = dft_reference::RandomSignal(static_cast<std::size_t>(n), 31u + n);
        const auto want = dft_reference::RealSpectrum(x);
        TQCRealFFT fft;
        std::vector<float> padded(static_cast<std::size_t>(n) + 2 + 4, 99.0f);
        fft.forward(x.data(), padded.data(), n);
        const double tolerance = 1e-5 * std::sqrt(static_cast<double>(n));
        for (int k = 0; k <= n / 2; ++k) {
            EXPECT_NEAR(padded[2 * k], want[k].real(), tolerance) << "n " << n << " bin " << k;
            if (k == 0 || k == n / 2) {
                EXPECT_EQ(padded[2 * k + 1], 0.0f) << "n " << n << " bin " << k;
            } else {
                EXPECT_NEAR(padded[2 * k + 1], want[k].imag(), tolerance) << "n " << n << " bin " << k;
            }
        }
        for (int g = 0; g < 4; ++g) EXPECT_EQ(padded[n + 2 + g], 99.0f);
    }
}

TEST(TQCRealFFT, ImpulseGivesOnesAndZeros) {
    const int n = 2048;
    std::vector<float> x(n, 0.0f), padded(n + 2, -1.0f);
    x[0] = 1.0f;
    TQCRealFFT fft;
    fft.forward(x.data(), padded.data(), n);
    for (int k = 0; k <= n / 2; ++k) {
        ASSERT_EQ(padded[2 * k], 1.0f) << k;
        ASSERT_EQ(padded[2 * k + 1], 0.0f) << k;
    }
}

TEST(TQCRealFFT, InverseOfForwardReturnsTheInputAndRewritesSlotOne) {
    for (int n : {1, 2, 8, 16, 2048, 4096}) {
        const std::vector<float> x = dft_reference::RandomSignal(static_cast<std::size_t>(n), 77u + n);
        TQCRealFFT fft;
        std::vector<float> padded(static_cast<std::size_t>(n) + 2), y(static_cast<std::size_t>(n) + 3, 55.0f);
        fft.forward(x.data(), padded.data(), n);
        const float nyquist = padded[n];
        // The inverse never reads slot N+1, so poison it.
        padded[n + 1] = std::numeric_limits<float>::quiet_NaN();
        fft.inverse(padded.data(), y.data(), n);
        if (n > 1) {
            EXPECT_EQ(padded[1], nyquist) << n;
        }
        for (int i = 0; i < n; ++i) ASSERT_NEAR(y[i], x[i], 2e-6) << "n " << n << " sample " << i;
        for (int g = 0; g < 3; ++g) EXPECT_EQ(y[n + g], 55.0f);
    }
}

TEST(TQCRealFFT, InPlaceFormsMatchOutOfPlace) {
    const int n = 2048;
    const std::vector<float> x = dft_reference::RandomSignal(n, 5);
    TQCRealFFT fft;
    std::vector<float> padded(n + 2), buf(x);
    buf.resize(n + 2, 0.0f);
    fft.forward(x.data(), padded.data(), n);
    fft.forwardInPlace(buf.data(), n);
    EXPECT_EQ(buf, padded);
    std::vector<float> y(n);
    fft.inverse(padded.data(), y.data(), n);
    fft.inverseInPlace(buf.data(), n);
    buf.resize(n);
    EXPECT_EQ(buf, y);
}

TEST(TQCRealFFT, BuildsItsSpecOncePerLengthAndAgainAfterFreeSpec) {
    SpecBuildCounter counter;
    std::vector<float> x = dft_reference::RandomSignal(4096, 9), padded(4098), y(4096);
    TQCRealFFT fft(2048);
    EXPECT_EQ(counter.builds(), 0) << "the constructor's length is not used";
    fft.forward(x.data(), padded.data(), 2048);
    fft.forward(x.data(), padded.data(), 2048);
    fft.inverse(padded.data(), y.data(), 2048);
    EXPECT_EQ(counter.builds(), 1);
    fft.forward(x.data(), padded.data(), 4096);
    EXPECT_EQ(counter.builds(), 2);

    // After freeSpec the same length must build a new spec rather than reuse
    // the released one (the address sanitizer would report the reuse).
    fft.freeSpec();
    fft.forward(x.data(), padded.data(), 4096);
    EXPECT_EQ(counter.builds(), 3);
    fft.inverse(padded.data(), y.data(), 4096);
    for (int i = 0; i < 4096; ++i) ASSERT_NEAR(y[i], x[i], 2e-6) << i;
    fft.freeSpec();
    fft.freeSpec();  // a second release is harmless
}

TEST(TQCRealFFT, InverseWithAnotherLengthUsesASpecOfThatLength) {
    // A spec of the earlier, longer length would write 4096 samples into y.
    std::vector<float> x = dft_reference::RandomSignal(4096, 11), padded(4098), y(2048 + 8, 7.0f);
    TQCRealFFT fft;
    fft.forward(x.data(), padded.data(), 4096);
    std::vector<float> small(2050);
    TQCRealFFT reference;
    reference.forward(x.data(), small.data(), 2048);
    fft.inverse(small.data(), y.data(), 2048);
    for (int i = 0; i < 2048; ++i) ASSERT_NEAR(y[i], x[i], 2e-6) << i;
    for (int g = 0; g < 8; ++g) EXPECT_EQ(y[2048 + g], 7.0f);
}

TEST(TQCRealFFT, NonPositiveLengthDoesNothing) {
    TQCRealFFT fft;
    float src[4] = {1.0f, 2.0f, 3.0f, 4.0f};
    float dst[4] = {9.0f, 9.0f, 9.0f, 9.0f};
    fft.forward(src, dst, 0);
    fft.forward(src, dst, -8);
    fft.inverse(src, dst, 0);
    for (float v : dst) EXPECT_EQ(v, 9.0f);
    EXPECT_EQ(src[1], 2.0f);
}

}  // namespace
