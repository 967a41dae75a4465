// Split post- and pre-processing with SSE: four bins and their mirrors at a time.
// Part of the transform kernels: include only through
// dsp/detail/real_fft_kernels.h, which sets the instruction-set macros first.
#pragma once

#include <cstdint>

namespace {

// Four bins k..k+3 and their mirrors M-k-3..M-k, with real and imaginary parts
// gathered into separate registers (mirrors in the order of k).
struct SplitQuad {
    __m128 pr, pi, qr, qi;
};

inline SplitQuad LoadSplitQuad(const float* data, std::int32_t m, std::int32_t k, __m128 scale) {
    const __m128 p0 = _mm_mul_ps(_mm_loadu_ps(data + 2 * k), scale);
    const __m128 p1 = _mm_mul_ps(_mm_loadu_ps(data + 2 * k + 4), scale);
    const __m128 q0 = _mm_mul_ps(_mm_loadu_ps(data + 2 * (m - k - 3)), scale);  // bins M-k-3, M-k-2
    const __m128 q1 = _mm_mul_ps(_mm_loadu_ps(data + 2 * (m - k - 1)), scale);  // bins M-k-1, M-k
    return {_mm_shuffle_ps(p0, p1, _MM_SHUFFLE(2, 0, 2, 0)), _mm_shuffle_ps(p0, p1, _MM_SHUFFLE(3, 1, 3, 1)),
            _mm_shuffle_ps(q1, q0, _MM_SHUFFLE(0, 2, 0, 2)), _mm_shuffle_ps(q1, q0, _MM_SHUFFLE(1, 3, 1, 3))};
}

inline void StoreSplitQuad(float* data, std::int32_t m, std::int32_t k, const SplitQuad& v) {
    _mm_storeu_ps(data + 2 * k, _mm_unpacklo_ps(v.pr, v.pi));
    _mm_storeu_ps(data + 2 * k + 4, _mm_unpackhi_ps(v.pr, v.pi));
    const __m128 mirrorsHigh = _mm_unpackhi_ps(v.qr, v.qi);  // bins M-k-2, M-k-3
    const __m128 mirrorsLow = _mm_unpacklo_ps(v.qr, v.qi);   // bins M-k, M-k-1
    _mm_storeu_ps(data + 2 * (m - k - 3), _mm_shuffle_ps(mirrorsHigh, mirrorsHigh, _MM_SHUFFLE(1, 0, 3, 2)));
    _mm_storeu_ps(data + 2 * (m - k - 1), _mm_shuffle_ps(mirrorsLow, mirrorsLow, _MM_SHUFFLE(1, 0, 3, 2)));
}

inline void LoadSplitFactors(const float* split, std::int32_t k, __m128& first, __m128& second) {
    const __m128 f0 = _mm_loadu_ps(split + 2 * k);
    const __m128 f1 = _mm_loadu_ps(split + 2 * k + 4);
    first = _mm_shuffle_ps(f0, f1, _MM_SHUFFLE(2, 0, 2, 0));
    second = _mm_shuffle_ps(f0, f1, _MM_SHUFFLE(3, 1, 3, 1));
}

// Bins from k on in groups of four while a whole group and its mirrors fit
// below M/2 without meeting; returns the first bin left for the scalar code.
inline std::int32_t ForwardSplitQuads(float* dst, std::int32_t m, const float* split, float scale,
                                      std::int32_t k) {
    const __m128 factor = _mm_set1_ps(scale);
    for (; k + 3 < m / 2; k += 4) {
        const SplitQuad in = LoadSplitQuad(dst, m, k, factor);
        __m128 c, s;
        LoadSplitFactors(split, k, c, s);
        const __m128 d = _mm_sub_ps(in.pr, in.qr);
        const __m128 e = _mm_add_ps(in.pi, in.qi);
        const __m128 g = _mm_add_ps(_mm_mul_ps(d, s), _mm_mul_ps(e, c));
        const __m128 h = _mm_sub_ps(_mm_mul_ps(e, s), _mm_mul_ps(d, c));
        StoreSplitQuad(
            dst, m, k,
            {_mm_add_ps(in.qr, g), _mm_sub_ps(h, in.qi), _mm_sub_ps(in.pr, g), _mm_sub_ps(h, in.pi)});
    }
    return k;
}

inline std::int32_t InverseSplitQuads(const float* src, float* dst, std::int32_t m, const float* split,
                                      float scale, std::int32_t k) {
    const __m128 factor = _mm_set1_ps(scale);
    for (; k + 3 < m / 2; k += 4) {
        const SplitQuad in = LoadSplitQuad(src, m, k, factor);  // c = pr, d = qr, e = pi, f = qi
        __m128 co, si;
        LoadSplitFactors(split, k, co, si);
        const __m128 cMinusD = _mm_sub_ps(in.pr, in.qr);
        const __m128 cPlusD = _mm_add_ps(in.pr, in.qr);
        const __m128 ePlusF = _mm_add_ps(in.pi, in.qi);
        const __m128 eMinusF = _mm_sub_ps(in.pi, in.qi);
        const __m128 h = _mm_sub_ps(_mm_mul_ps(cMinusD, si), _mm_mul_ps(ePlusF, co));
        const __m128 g = _mm_add_ps(_mm_mul_ps(cMinusD, co), _mm_mul_ps(ePlusF, si));
        StoreSplitQuad(
            dst, m, k,
            {_mm_add_ps(cPlusD, h), _mm_add_ps(eMinusF, g), _mm_sub_ps(cPlusD, h), _mm_sub_ps(g, eMinusF)});
    }
    return k;
}

}  // namespace
