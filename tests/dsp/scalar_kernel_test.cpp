// The scalar transform kernels, which only the 32-bit generic variant runs in
// production, compiled here on any machine and checked against the reference.
#define SARNOVELLITE_FFT_KERNELS_SCALAR 1
#include "dsp/detail/real_fft_kernels.h"

#if defined(SARNOVELLITE_FFT_KERNELS_USE_SSE)
#error "the scalar kernels were not selected"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "dsp/detail/real_fft_spec_builder.h"
#include "tests/dsp/dft_reference.h"

namespace {

TEST(ScalarRealFftKernels, MatchReferenceAndRoundTripForOrdersFourToFourteen) {
    for (int order = 4; order <= 14; ++order) {
        const std::size_t n = std::size_t(1) << order;
        const std::vector<float> x = dft_reference::RandomSignal(n, 300u + order);
        const std::vector<double> want = dft_reference::Packed(dft_reference::RealSpectrum(x), n);
        RealFftSpec* spec = nullptr;
        ASSERT_EQ(BuildRealFftSpec(&spec, order, FftScaleInverse, 0), StatusOk);
        std::vector<float> spectrum(n), inPlace(x), back(n);
        ASSERT_EQ(KernelForward(x.data(), spectrum.data(), spec, nullptr), StatusOk);
        ASSERT_EQ(KernelForward(inPlace.data(), inPlace.data(), spec, nullptr), StatusOk);
        EXPECT_EQ(inPlace, spectrum);
        const double bound = 2e-7 * std::max(1.0, static_cast<double>(order));
        EXPECT_LE(dft_reference::RelativeRmsError(spectrum.data(), want), bound) << order;
        ASSERT_EQ(KernelInverse(spectrum.data(), back.data(), spec, nullptr), StatusOk);
        EXPECT_LE(dft_reference::RelativeRmsError(back.data(), x), bound) << order;
        ReleaseRealFftSpec(spec);
    }
}

}  // namespace
