// The wide kernel: the transform kernels compiled for AVX2 and FMA, four
// complex values per register. Not a processor class of its own: on 64-bit
// builds the class variants hand their transforms to it when the processor
// has AVX2 and FMA (see kernel_choice.h). Standard and intrinsic headers come
// before the target switch so that no inline library code is built for AVX2
// and shared with other sources.
#include <cstdint>
#include <cstring>
#include <immintrin.h>

#if defined(__GNUC__) && defined(__x86_64__) && !defined(_WIN32)
#pragma GCC target("avx2,fma")
#endif

#define SARNOVELLITE_FFT_KERNELS_AVX2 1

#include "dsp/detail/real_fft_kernels.h"
#include "dsp/detail/variants/class_variants.h"

namespace wide_avx2 {

std::int32_t RealFftForward(const float* src, float* dst, const RealFftSpec* spec, std::uint8_t* work) {
    return KernelForward(src, dst, spec, work);
}

std::int32_t RealFftInverse(const float* src, float* dst, const RealFftSpec* spec, std::uint8_t* work) {
    return KernelInverse(src, dst, spec, work);
}

}  // namespace wide_avx2
