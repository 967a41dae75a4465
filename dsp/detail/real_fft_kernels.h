// The real-FFT transform kernels, written once and compiled by each
// processor-class variant source with that class's code-generation flags.
// The passes live in dsp/detail/fft_kernels/, one file per pass and
// instruction set; this header picks the set and includes them in order.
//
// Everything here has internal linkage on purpose: every variant source gets
// its own copy, so code built for a newer instruction set can never be linked
// into another class's variant. Include this only from dsp/detail/variants/*.cpp.
//
// Layout and scaling are described in dsp/primitives.h; the table layout in
// dsp/real_fft_spec.h. The kernels use no scratch memory (workSize 0).
#pragma once

#include <cstdint>
#include <cstring>

#include "dsp/fft_status.h"
#include "dsp/real_fft_spec.h"

// With SSE available (always on x86-64; on 32-bit x86 only in the variants
// built for SSE and later) the complex passes work on two complex values per
// register; otherwise they are plain scalar code. Defining
// SARNOVELLITE_FFT_KERNELS_SCALAR forces the scalar code (tests use it to cover
// the 32-bit generic variant's path on any machine).
#if defined(__SSE__) && !defined(SARNOVELLITE_FFT_KERNELS_SCALAR)
#include <xmmintrin.h>
#define SARNOVELLITE_FFT_KERNELS_USE_SSE 1
#endif

// The source of the wide kernel (compiled for AVX2 and FMA, chosen at start-up
// on processors that have them) defines SARNOVELLITE_FFT_KERNELS_AVX2 and gets
// passes that hold four complex values per register; the pieces without a
// wide form keep the two-value code.
#if defined(SARNOVELLITE_FFT_KERNELS_USE_SSE) && defined(SARNOVELLITE_FFT_KERNELS_AVX2)
#include <immintrin.h>
#define SARNOVELLITE_FFT_KERNELS_USE_AVX2 1
#endif

// Bit reversal.
namespace {

// ---- bit-reversal permutation of M complex values ------------------------------
// Position p of log2(M) bits splits into (top bit, middle bits, bottom bit); its
// reverse is (bottom, reverse(middle), top). Each list entry names the middle
// value(s) and moves the four positions sharing them.

// A complex value moves as one 8-byte word.
inline void SwapComplex(float* z, std::int32_t p, std::int32_t q) {
    std::uint64_t a, b;
    std::memcpy(&a, z + 2 * p, sizeof a);
    std::memcpy(&b, z + 2 * q, sizeof b);
    std::memcpy(z + 2 * p, &b, sizeof b);
    std::memcpy(z + 2 * q, &a, sizeof a);
}

inline void CopyComplex(const float* src, float* dst, std::int32_t to, std::int32_t from) {
    std::memcpy(dst + 2 * to, src + 2 * from, 2 * sizeof(float));
}

}  // namespace
#if defined(SARNOVELLITE_FFT_KERNELS_USE_SSE)
#include "dsp/detail/fft_kernels/bit_reversal_sse.h"
#else
#include "dsp/detail/fft_kernels/bit_reversal_scalar.h"
#endif

// The complex transform of the half length.
#include "dsp/detail/fft_kernels/radix2_pass.h"
#if defined(SARNOVELLITE_FFT_KERNELS_USE_SSE)
#include "dsp/detail/fft_kernels/radix4_sse.h"
#if defined(SARNOVELLITE_FFT_KERNELS_USE_AVX2)
#include "dsp/detail/fft_kernels/radix4_avx2.h"
#endif
#else
#include "dsp/detail/fft_kernels/radix4_scalar.h"
#endif
#include "dsp/detail/fft_kernels/complex_transform.h"

#include "dsp/detail/fft_kernels/small_orders.h"

// Between the complex transform and the real spectrum: the widest pieces
// first; an instruction set that is missing leaves all bins to the next.
#include "dsp/detail/fft_kernels/split_pairs.h"
#if defined(SARNOVELLITE_FFT_KERNELS_USE_SSE)
#include "dsp/detail/fft_kernels/split_sse.h"
#else
namespace {

inline std::int32_t ForwardSplitQuads(float*, std::int32_t, const float*, float, std::int32_t k) { return k; }

inline std::int32_t InverseSplitQuads(const float*, float*, std::int32_t, const float*, float,
                                      std::int32_t k) {
    return k;
}

}  // namespace
#endif
#if defined(SARNOVELLITE_FFT_KERNELS_USE_AVX2)
#include "dsp/detail/fft_kernels/split_avx2.h"
#else
namespace {

inline std::int32_t ForwardSplitOcts(float*, std::int32_t, const float*, float) { return 1; }

inline std::int32_t InverseSplitOcts(const float*, float*, std::int32_t, const float*, float) { return 1; }

}  // namespace
#endif
#include "dsp/detail/fft_kernels/split.h"

namespace {

// ---- the transform primitives ---------------------------------------------------
// Specs built here report workSize 0 for every order, so the optional work
// buffer is never needed and the transforms never allocate.

inline std::int32_t CheckTransformArguments(const float* src, const float* dst, const RealFftSpec* spec) {
    if (spec == nullptr) return StatusNullPointer;
    if (spec->id != kRealFftSpecLiveId) return StatusContextMismatch;
    if (src == nullptr || dst == nullptr) return StatusNullPointer;
    return StatusOk;
}

std::int32_t KernelForward(const float* src, float* dst, const RealFftSpec* spec, std::uint8_t* /*work*/) {
    const std::int32_t status = CheckTransformArguments(src, dst, spec);
    if (status != StatusOk) return status;
    const int order = spec->order;
    const std::int64_t n = std::int64_t(1) << order;
    if (order <= 3) {
        SmallForward(src, dst, order);
        if (spec->scaleForward) Scale(dst, n, spec->factor);
        return StatusOk;
    }
    const auto m = static_cast<std::int32_t>(n / 2);
    if (src == dst) {
        BitReverseInPlace(dst, spec->bitReverse, m);
        ComplexTransform<false>(dst, m, order - 1, spec->twiddles);
    } else {
#if defined(SARNOVELLITE_FFT_KERNELS_USE_AVX2)
        WideGatherFirstRadix4Pass<false>(src, dst, m);
        LaterPasses<false>(dst, m, order - 1, spec->twiddles);
#else
        BitReverseCopy(src, dst, spec->bitReverse, m);
        ComplexTransform<false>(dst, m, order - 1, spec->twiddles);
#endif
    }
    ForwardSplit(dst, m, spec->forwardSplit, spec->scaleForward ? spec->factor : 1.0f);
    return StatusOk;
}

std::int32_t KernelInverse(const float* src, float* dst, const RealFftSpec* spec, std::uint8_t* /*work*/) {
    const std::int32_t status = CheckTransformArguments(src, dst, spec);
    if (status != StatusOk) return status;
    const int order = spec->order;
    const std::int64_t n = std::int64_t(1) << order;
    if (order <= 3) {
        SmallInverse(src, dst, order);
        if (spec->scaleInverse) Scale(dst, n, spec->factor);
        return StatusOk;
    }
    const auto m = static_cast<std::int32_t>(n / 2);
    InverseSplit(src, dst, m, spec->inverseSplit, spec->scaleInverse ? spec->factor : 1.0f);
    BitReverseInPlace(dst, spec->bitReverse, m);
    ComplexTransform<true>(dst, m, order - 1, spec->twiddles);
    return StatusOk;
}

}  // namespace
