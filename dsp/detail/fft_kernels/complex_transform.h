// The complex transform: the first pass, then the later passes, chosen by instruction set.
// Part of the transform kernels: include only through
// dsp/detail/real_fft_kernels.h, which sets the instruction-set macros first.
#pragma once

#include <cstdint>

namespace {

// The passes after the first one.
template <bool kInverse>
void LaterPasses(float* z, std::int32_t m, int log2m, const float* twiddles) {
    std::int32_t quarter = 4;
    if (log2m % 2 != 0) {
        Radix2Pass8<kInverse>(z, m, twiddles);
        quarter = 8;
    }
    for (; quarter < m; quarter *= 4) {
#if defined(SARNOVELLITE_FFT_KERNELS_USE_AVX2)
        WideRadix4Pass<kInverse>(z, m, quarter, twiddles);
#else
        Radix4Pass<kInverse>(z, m, quarter, twiddles);
#endif
    }
}

template <bool kInverse>
void ComplexTransform(float* z, std::int32_t m, int log2m, const float* twiddles) {
#if defined(SARNOVELLITE_FFT_KERNELS_USE_AVX2)
    WideFirstRadix4Pass<kInverse>(z, m);  // m >= 8
#else
    FirstRadix4Pass<kInverse>(z, m);
#endif
    LaterPasses<kInverse>(z, m, log2m, twiddles);
}

void Scale(float* x, std::int64_t count, float factor) {
    for (std::int64_t i = 0; i < count; ++i) x[i] *= factor;
}

}  // namespace
