// Bit-reversal permutation with SSE: complex values move in pairs.
// Part of the transform kernels: include only through
// dsp/detail/real_fft_kernels.h, which sets the instruction-set macros first.
#pragma once

#include <cstdint>

namespace {

// The positions an entry moves come in adjacent pairs: (2a, 2a + 1) and
// (top + 2a, top + 2a + 1) for middle value a, the same for its reverse r.
// 2a takes 2r, 2a + 1 takes top + 2r, top + 2a takes 2r + 1 and
// top + 2a + 1 takes top + 2r + 1, and the other way round: each side's new
// pair is made of the low or the high halves of the other side's two pairs.
inline void ExchangePairs(const float* src, float* dst, std::int32_t top, std::int32_t a, std::int32_t r) {
    const __m128 a0 = _mm_loadu_ps(src + 2 * a), a1 = _mm_loadu_ps(src + 2 * (top + a));
    const __m128 r0 = _mm_loadu_ps(src + 2 * r), r1 = _mm_loadu_ps(src + 2 * (top + r));
    _mm_storeu_ps(dst + 2 * a, _mm_movelh_ps(r0, r1));
    _mm_storeu_ps(dst + 2 * (top + a), _mm_movehl_ps(r1, r0));
    _mm_storeu_ps(dst + 2 * r, _mm_movelh_ps(a0, a1));
    _mm_storeu_ps(dst + 2 * (top + r), _mm_movehl_ps(a1, a0));
}

// src == dst permutes in place; every entry's loads come before its stores.
inline void BitReverse(const float* src, float* dst, const std::int32_t* list, std::int32_t m) {
    const std::int32_t top = m / 2;
    for (const std::int32_t* e = list; *e != 0;) {
        if (*e < 0) {
            const std::int32_t mid = 2 * (-*e - 1);
            ExchangePairs(src, dst, top, mid, mid);
            e += 1;
        } else {
            ExchangePairs(src, dst, top, 2 * (e[0] - 1), 2 * (e[1] - 1));
            e += 2;
        }
    }
}

void BitReverseInPlace(float* z, const std::int32_t* list, std::int32_t m) { BitReverse(z, z, list, m); }

inline void BitReverseCopy(const float* src, float* dst, const std::int32_t* list, std::int32_t m) {
    BitReverse(src, dst, list, m);
}

}  // namespace
