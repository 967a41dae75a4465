// Split post- and pre-processing with AVX2 and FMA: eight bins and their mirrors at a time.
// Part of the transform kernels: include only through
// dsp/detail/real_fft_kernels.h, which sets the instruction-set macros first.
#pragma once

#include <cstdint>

namespace {

// Eight bins k..k+7 and their mirrors M-k..M-k-7. Real and imaginary parts are
// gathered into separate registers in the order (k, k+1, k+4, k+5 | k+2, k+3,
// k+6, k+7), mirrors and split factors alike: the arithmetic is element-wise,
// and the stores undo exactly that order.
struct SplitOct {
    __m256 pr, pi, qr, qi;
};

inline __m256 ReverseComplexOrder(__m256 a) {
    return _mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_castps_pd(a), _MM_SHUFFLE(0, 1, 2, 3)));
}

inline void Deinterleave(__m256 first, __m256 second, __m256& re, __m256& im) {
    re = _mm256_shuffle_ps(first, second, _MM_SHUFFLE(2, 0, 2, 0));
    im = _mm256_shuffle_ps(first, second, _MM_SHUFFLE(3, 1, 3, 1));
}

// The order Deinterleave leaves is the one the per-half unpacks put back.
inline void Interleave(__m256 re, __m256 im, __m256& first, __m256& second) {
    first = _mm256_unpacklo_ps(re, im);
    second = _mm256_unpackhi_ps(re, im);
}

inline SplitOct LoadSplitOct(const float* data, std::int32_t m, std::int32_t k, __m256 scale) {
    SplitOct v;
    Deinterleave(_mm256_mul_ps(_mm256_loadu_ps(data + 2 * k), scale),
                 _mm256_mul_ps(_mm256_loadu_ps(data + 2 * k + 8), scale), v.pr, v.pi);
    const __m256 nearMirrors = ReverseComplexOrder(_mm256_loadu_ps(data + 2 * (m - k - 3)));  // M-k .. M-k-3
    const __m256 farMirrors = ReverseComplexOrder(_mm256_loadu_ps(data + 2 * (m - k - 7)));  // M-k-4 .. M-k-7
    Deinterleave(_mm256_mul_ps(nearMirrors, scale), _mm256_mul_ps(farMirrors, scale), v.qr, v.qi);
    return v;
}

inline void StoreSplitOct(float* data, std::int32_t m, std::int32_t k, const SplitOct& v) {
    __m256 first, second;
    Interleave(v.pr, v.pi, first, second);
    _mm256_storeu_ps(data + 2 * k, first);
    _mm256_storeu_ps(data + 2 * k + 8, second);
    Interleave(v.qr, v.qi, first, second);
    _mm256_storeu_ps(data + 2 * (m - k - 3), ReverseComplexOrder(first));
    _mm256_storeu_ps(data + 2 * (m - k - 7), ReverseComplexOrder(second));
}

inline void LoadSplitFactors(const float* split, std::int32_t k, __m256& first, __m256& second) {
    Deinterleave(_mm256_loadu_ps(split + 2 * k), _mm256_loadu_ps(split + 2 * k + 8), first, second);
}

inline std::int32_t ForwardSplitOcts(float* dst, std::int32_t m, const float* split, float scale) {
    const __m256 factor = _mm256_set1_ps(scale);
    std::int32_t k = 1;
    for (; k + 7 < m / 2; k += 8) {
        const SplitOct in = LoadSplitOct(dst, m, k, factor);
        __m256 c, s;
        LoadSplitFactors(split, k, c, s);
        const __m256 d = _mm256_sub_ps(in.pr, in.qr);
        const __m256 e = _mm256_add_ps(in.pi, in.qi);
        const __m256 g = _mm256_fmadd_ps(d, s, _mm256_mul_ps(e, c));
        const __m256 h = _mm256_fmsub_ps(e, s, _mm256_mul_ps(d, c));
        StoreSplitOct(dst, m, k,
                      {_mm256_add_ps(in.qr, g), _mm256_sub_ps(h, in.qi), _mm256_sub_ps(in.pr, g),
                       _mm256_sub_ps(h, in.pi)});
    }
    return k;
}

inline std::int32_t InverseSplitOcts(const float* src, float* dst, std::int32_t m, const float* split,
                                     float scale) {
    const __m256 factor = _mm256_set1_ps(scale);
    std::int32_t k = 1;
    for (; k + 7 < m / 2; k += 8) {
        const SplitOct in = LoadSplitOct(src, m, k, factor);  // c = pr, d = qr, e = pi, f = qi
        __m256 co, si;
        LoadSplitFactors(split, k, co, si);
        const __m256 cMinusD = _mm256_sub_ps(in.pr, in.qr);
        const __m256 cPlusD = _mm256_add_ps(in.pr, in.qr);
        const __m256 ePlusF = _mm256_add_ps(in.pi, in.qi);
        const __m256 eMinusF = _mm256_sub_ps(in.pi, in.qi);
        const __m256 h = _mm256_fmsub_ps(cMinusD, si, _mm256_mul_ps(ePlusF, co));
        const __m256 g = _mm256_fmadd_ps(cMinusD, co, _mm256_mul_ps(ePlusF, si));
        StoreSplitOct(dst, m, k,
                      {_mm256_add_ps(cPlusD, h), _mm256_add_ps(eMinusF, g), _mm256_sub_ps(cPlusD, h),
                       _mm256_sub_ps(g, eMinusF)});
    }
    return k;
}

}  // namespace
