// The primitive variants of each processor class, one namespace per class and
// one source file per class (dsp/detail/variants/classN_*.cpp), each compiled with its
// class's instruction set. Class 0 runs on any processor; classes 1, 2 and 3
// need SSE, SSE2 and SSE3 and are only reached through a selection that found
// them. Operations a class shares with a lower class are not declared again:
// the dispatch table names the lower class's variant for it.
#pragma once

#include <cstdint>

#include "dsp/real_fft_spec.h"

#define SARNOVELLITE_DECLARE_REAL_FFT_TRANSFORMS                                                            \
    std::int32_t RealFftInitAlloc(RealFftSpec** out, std::int32_t order, std::int32_t flag,                 \
                                  std::int32_t hint);                                                       \
    std::int32_t RealFftForwardInPlace(float* buf, const RealFftSpec* spec, std::uint8_t* work);            \
    std::int32_t RealFftForward(const float* src, float* dst, const RealFftSpec* spec, std::uint8_t* work); \
    std::int32_t RealFftInverseInPlace(float* buf, const RealFftSpec* spec, std::uint8_t* work);            \
    std::int32_t RealFftInverse(const float* src, float* dst, const RealFftSpec* spec, std::uint8_t* work); \
    /* the class's own kernel, whatever kernel_choice.h chose */                                            \
    std::int32_t OwnRealFftForward(const float* src, float* dst, const RealFftSpec* spec,                   \
                                   std::uint8_t* work);                                                     \
    std::int32_t OwnRealFftInverse(const float* src, float* dst, const RealFftSpec* spec, std::uint8_t* work);

// Generic code for any processor.
namespace class0_generic {
SARNOVELLITE_DECLARE_REAL_FFT_TRANSFORMS
std::int32_t RealFftFree(RealFftSpec* spec);  // also class 1's
std::int32_t ComplexPhase(const float* src, float* dst, std::int32_t len);
std::int32_t ComplexMagnitude(const float* src, float* dst, std::int32_t len);
std::int32_t PolarToComplex(const float* magnitude, const float* phase, float* dst, std::int32_t len);
std::int32_t PolarToSplit(const float* magnitude, const float* phase, float* re, float* im, std::int32_t len);
std::int32_t VectorAtan2(const float* y, const float* x, float* dst, std::int32_t len);
std::int32_t VectorCos(const float* src, float* dst, std::int32_t len);
std::int32_t VectorSin(const float* src, float* dst, std::int32_t len);
}  // namespace class0_generic

// Processors with SSE.
namespace class1_sse {
SARNOVELLITE_DECLARE_REAL_FFT_TRANSFORMS
}  // namespace class1_sse

// Processors with SSE2.
namespace class2_sse2 {
SARNOVELLITE_DECLARE_REAL_FFT_TRANSFORMS
std::int32_t RealFftFree(RealFftSpec* spec);  // also class 3's
}  // namespace class2_sse2

// Processors with SSE3.
namespace class3_sse3 {
SARNOVELLITE_DECLARE_REAL_FFT_TRANSFORMS
}  // namespace class3_sse3

// The wide kernel for processors with AVX2 and FMA (64-bit builds only).
namespace wide_avx2 {
std::int32_t RealFftForward(const float* src, float* dst, const RealFftSpec* spec, std::uint8_t* work);
std::int32_t RealFftInverse(const float* src, float* dst, const RealFftSpec* spec, std::uint8_t* work);
}  // namespace wide_avx2

#undef SARNOVELLITE_DECLARE_REAL_FFT_TRANSFORMS
