// Radix-4 passes with AVX2 and FMA: four complex values per register.
// Part of the transform kernels: include only through
// dsp/detail/real_fft_kernels.h, which sets the instruction-set macros first.
#pragma once

#include <cstdint>

namespace {

// Lanes (re0, im0, re1, im1 | re2, im2, re3, im3): four complex values per
// register; most instructions work on each 128-bit half alone.

inline __m256 SwapReIm(__m256 a) { return _mm256_permute_ps(a, _MM_SHUFFLE(2, 3, 0, 1)); }

// a * w (forward) or a * conj(w) (inverse), w given as its duplicated real
// and imaginary parts: fused multiply with alternating subtract and add.
template <bool kInverse>
inline __m256 MultiplyByTwiddle(__m256 a, __m256 wr, __m256 wi) {
    const __m256 crossed = _mm256_mul_ps(SwapReIm(a), wi);
    return kInverse ? _mm256_fmsubadd_ps(a, wr, crossed) : _mm256_fmaddsub_ps(a, wr, crossed);
}

// Multiplies by -i (forward) or +i (inverse).
template <bool kInverse>
inline __m256 RotateQuarter(__m256 a) {
    const __m256 sign = kInverse ? _mm256_set_ps(0.0f, -0.0f, 0.0f, -0.0f, 0.0f, -0.0f, 0.0f, -0.0f)
                                 : _mm256_set_ps(-0.0f, 0.0f, -0.0f, 0.0f, -0.0f, 0.0f, -0.0f, 0.0f);
    return _mm256_xor_ps(SwapReIm(a), sign);
}

struct WideTwiddles {
    __m256 re1, im1, re2, im2, re3, im3;  // duplicated parts of W^j, W^2j, W^3j for four j
};

// The twiddles of four consecutive j, whose table entries lie `step` floats
// apart. As in LoadTwiddles, the load of W^3j may reach two floats into the
// next entry, which always exists.
inline WideTwiddles LoadWideTwiddles(const float* w, std::int32_t step) {
    const __m256 even12 = _mm256_set_m128(_mm_loadu_ps(w + 2 * step), _mm_loadu_ps(w));
    const __m256 odd12 = _mm256_set_m128(_mm_loadu_ps(w + 3 * step), _mm_loadu_ps(w + step));
    const __m256 even3 = _mm256_set_m128(_mm_loadu_ps(w + 2 * step + 4), _mm_loadu_ps(w + 4));
    const __m256 odd3 = _mm256_set_m128(_mm_loadu_ps(w + 3 * step + 4), _mm_loadu_ps(w + step + 4));
    const __m256 w1 = _mm256_castpd_ps(_mm256_unpacklo_pd(_mm256_castps_pd(even12), _mm256_castps_pd(odd12)));
    const __m256 w2 = _mm256_castpd_ps(_mm256_unpackhi_pd(_mm256_castps_pd(even12), _mm256_castps_pd(odd12)));
    const __m256 w3 = _mm256_castpd_ps(_mm256_unpacklo_pd(_mm256_castps_pd(even3), _mm256_castps_pd(odd3)));
    return {_mm256_moveldup_ps(w1), _mm256_movehdup_ps(w1), _mm256_moveldup_ps(w2),
            _mm256_movehdup_ps(w2), _mm256_moveldup_ps(w3), _mm256_movehdup_ps(w3)};
}

// Four radix-4 butterflies at j..j + 3 of the block whose first value is z0.
template <bool kInverse>
inline void Radix4ButterflyQuad(float* z0, std::int32_t quarter, const WideTwiddles& w) {
    float* z1 = z0 + 2 * quarter;
    float* z2 = z1 + 2 * quarter;
    float* z3 = z2 + 2 * quarter;
    const __m256 a0 = _mm256_loadu_ps(z0);
    const __m256 a2 = MultiplyByTwiddle<kInverse>(_mm256_loadu_ps(z1), w.re2, w.im2);  // residue 2
    const __m256 a1 = MultiplyByTwiddle<kInverse>(_mm256_loadu_ps(z2), w.re1, w.im1);  // residue 1
    const __m256 a3 = MultiplyByTwiddle<kInverse>(_mm256_loadu_ps(z3), w.re3, w.im3);
    const __m256 t0 = _mm256_add_ps(a0, a2);
    const __m256 t1 = _mm256_sub_ps(a0, a2);
    const __m256 t2 = _mm256_add_ps(a1, a3);
    const __m256 t3 = RotateQuarter<kInverse>(_mm256_sub_ps(a1, a3));
    _mm256_storeu_ps(z0, _mm256_add_ps(t0, t2));
    _mm256_storeu_ps(z2, _mm256_sub_ps(t0, t2));
    _mm256_storeu_ps(z1, _mm256_add_ps(t1, t3));
    _mm256_storeu_ps(z3, _mm256_sub_ps(t1, t3));
}

// The two-value first pass on two groups at once: each 128-bit half holds the
// registers the two-value code would, one group per half. first and second
// hold (q0, q1 | q2, q3) of the two groups; the results go to p[0..15].
template <bool kInverse>
inline void WideFirstRadix4Groups(__m256 first, __m256 second, float* p) {
    const __m256 rotateSecond = kInverse ? _mm256_set_ps(0.0f, -0.0f, 0.0f, 0.0f, 0.0f, -0.0f, 0.0f, 0.0f)
                                         : _mm256_set_ps(-0.0f, 0.0f, 0.0f, 0.0f, -0.0f, 0.0f, 0.0f, 0.0f);
    const __m256d a = _mm256_castps_pd(_mm256_permute2f128_ps(first, second, 0x20));  // q0, q1
    const __m256d b = _mm256_castps_pd(_mm256_permute2f128_ps(first, second, 0x31));  // q2, q3
    const __m256 lo = _mm256_castpd_ps(_mm256_unpacklo_pd(a, b));                     // q0, q2
    const __m256 hi = _mm256_castpd_ps(_mm256_unpackhi_pd(a, b));                     // q1, q3
    const __m256d sums = _mm256_castps_pd(_mm256_add_ps(lo, hi));                     // t0, t2
    const __m256d diffs = _mm256_castps_pd(_mm256_sub_ps(lo, hi));                    // t1, t3
    const __m256 firsts = _mm256_castpd_ps(_mm256_unpacklo_pd(sums, diffs));          // t0, t1
    __m256 seconds = _mm256_castpd_ps(_mm256_unpackhi_pd(sums, diffs));               // t2, t3
    seconds = _mm256_permute_ps(seconds, _MM_SHUFFLE(2, 3, 1, 0));
    seconds = _mm256_xor_ps(seconds, rotateSecond);
    const __m256 low = _mm256_add_ps(firsts, seconds);   // X0, X1
    const __m256 high = _mm256_sub_ps(firsts, seconds);  // X2, X3
    _mm256_storeu_ps(p, _mm256_permute2f128_ps(low, high, 0x20));
    _mm256_storeu_ps(p + 8, _mm256_permute2f128_ps(low, high, 0x31));
}

template <bool kInverse>
void WideFirstRadix4Pass(float* z, std::int32_t m) {
    for (std::int32_t g = 0; g < m; g += 8)
        WideFirstRadix4Groups<kInverse>(_mm256_loadu_ps(z + 2 * g), _mm256_loadu_ps(z + 2 * g + 8),
                                        z + 2 * g);
}

// Group r's four complex values as the permuted array would hold them: the
// values at r, r + M/2, r + M/4 and r + 3M/4.
inline __m256 GatherGroup(const float* src, std::int32_t m, std::int32_t r) {
    const __m128 zero = _mm_setzero_ps();
    const auto at = [&](std::int32_t i) { return reinterpret_cast<const __m64*>(src + 2 * i); };
    const __m128 q01 = _mm_loadh_pi(_mm_loadl_pi(zero, at(r)), at(r + m / 2));
    const __m128 q23 = _mm_loadh_pi(_mm_loadl_pi(zero, at(r + m / 4)), at(r + 3 * (m / 4)));
    return _mm256_set_m128(q23, q01);
}

// Out of place, the bit-reversal permutation and the first pass in one: group g
// of the permuted array gathers from r, r + M/2, r + M/4, r + 3M/4, where r
// is g reversed over log2(M) - 2 bits, so no separate copy pass is needed.
// Groups come in pairs g, g + 1 (g even), whose r differ by M/8.
template <bool kInverse>
void WideGatherFirstRadix4Pass(const float* src, float* z, std::int32_t m) {
    std::int32_t r = 0;
    for (std::int32_t g = 0; g < m / 4; g += 2) {
        WideFirstRadix4Groups<kInverse>(GatherGroup(src, m, r), GatherGroup(src, m, r + m / 8), z + 8 * g);
        // r becomes the reverse of g + 2: add one at the reversed position of bit 1.
        std::int32_t bit = m / 16;
        while (bit != 0 && (r & bit) != 0) {
            r ^= bit;
            bit >>= 1;
        }
        r |= bit;
    }
}

// quarter >= 4: the j of one block come four at a time.
template <bool kInverse>
void WideRadix4Pass(float* z, std::int32_t m, std::int32_t quarter, const float* twiddles) {
    const std::int32_t length = 4 * quarter;
    const std::int32_t step = 6 * (m / length);
    if (m <= kCacheResidentComplexCount) {
        for (std::int32_t j = 0; j < quarter; j += 4) {
            const WideTwiddles w = LoadWideTwiddles(twiddles + j * step, step);
            for (std::int32_t b = 0; b < m; b += length)
                Radix4ButterflyQuad<kInverse>(z + 2 * (b + j), quarter, w);
        }
    } else {
        for (std::int32_t b = 0; b < m; b += length)
            for (std::int32_t j = 0; j < quarter; j += 4)
                Radix4ButterflyQuad<kInverse>(z + 2 * (b + j), quarter,
                                              LoadWideTwiddles(twiddles + j * step, step));
    }
}

}  // namespace
