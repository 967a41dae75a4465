// The real-FFT transform kernels, written once and compiled by each
// processor-class variant source with that class's code-generation flags.
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

#if defined(SARNOVELLITE_FFT_KERNELS_USE_SSE)

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

#else

void BitReverseInPlace(float* z, const std::int32_t* list, std::int32_t m) {
    const std::int32_t top = m / 2;
    for (const std::int32_t* e = list; *e != 0;) {
        if (*e < 0) {
            const std::int32_t mid = 2 * (-*e - 1);
            SwapComplex(z, mid + 1, top + mid);
            e += 1;
        } else {
            const std::int32_t a = 2 * (e[0] - 1);
            const std::int32_t r = 2 * (e[1] - 1);
            SwapComplex(z, a, r);
            SwapComplex(z, a + 1, top + r);
            SwapComplex(z, top + a, r + 1);
            SwapComplex(z, top + a + 1, top + r + 1);
            e += 2;
        }
    }
}

inline void BitReverseCopy(const float* src, float* dst, const std::int32_t* list, std::int32_t m) {
    const std::int32_t top = m / 2;
    for (const std::int32_t* e = list; *e != 0;) {
        if (*e < 0) {
            const std::int32_t mid = 2 * (-*e - 1);
            CopyComplex(src, dst, mid, mid);
            CopyComplex(src, dst, mid + 1, top + mid);
            CopyComplex(src, dst, top + mid, mid + 1);
            CopyComplex(src, dst, top + mid + 1, top + mid + 1);
            e += 1;
        } else {
            const std::int32_t a = 2 * (e[0] - 1);
            const std::int32_t r = 2 * (e[1] - 1);
            CopyComplex(src, dst, a, r);
            CopyComplex(src, dst, r, a);
            CopyComplex(src, dst, a + 1, top + r);
            CopyComplex(src, dst, top + r, a + 1);
            CopyComplex(src, dst, top + a, r + 1);
            CopyComplex(src, dst, r + 1, top + a);
            CopyComplex(src, dst, top + a + 1, top + r + 1);
            CopyComplex(src, dst, top + r + 1, top + a + 1);
            e += 2;
        }
    }
}

#endif  // SARNOVELLITE_FFT_KERNELS_USE_SSE

// ---- complex decimation-in-time transform of length M, input bit-reversed -------
// After bit reversal, an aligned block of length L holds four sub-transforms of
// length L/4 of the residues 0, 2, 1, 3 (mod 4) of its sequence, in that order.
// kInverse selects the positive exponent (conjugated twiddles, +i for -i).

template <bool kInverse>
inline void Butterfly4(float* z0, float* z1, float* z2, float* z3, float a0r, float a0i, float a1r, float a1i,
                       float a2r, float a2i, float a3r, float a3i) {
    // a0..a3: twiddled parts of residues 0, 1, 2, 3.
    const float t0r = a0r + a2r, t0i = a0i + a2i;
    const float t1r = a0r - a2r, t1i = a0i - a2i;
    const float t2r = a1r + a3r, t2i = a1i + a3i;
    const float t3r = a1r - a3r, t3i = a1i - a3i;
    z0[0] = t0r + t2r;
    z0[1] = t0i + t2i;
    z2[0] = t0r - t2r;
    z2[1] = t0i - t2i;
    if constexpr (!kInverse) {  // X1 = t1 - i*t3, X3 = t1 + i*t3
        z1[0] = t1r + t3i;
        z1[1] = t1i - t3r;
        z3[0] = t1r - t3i;
        z3[1] = t1i + t3r;
    } else {  // X1 = t1 + i*t3, X3 = t1 - i*t3
        z1[0] = t1r - t3i;
        z1[1] = t1i + t3r;
        z3[0] = t1r + t3i;
        z3[1] = t1i - t3r;
    }
}

// Combines pairs of 4-point transforms into 8-point ones: W8^j = W^(j*M/8).
template <bool kInverse>
void Radix2Pass8(float* z, std::int32_t m, const float* twiddles) {
    const float* w = twiddles + 6 * (m / 8);
    const float sign = kInverse ? -1.0f : 1.0f;
    const float wr[4] = {1.0f, w[0], w[2], w[4]};
    const float wi[4] = {0.0f, sign * w[1], sign * w[3], sign * w[5]};
    for (std::int32_t b = 0; b < m; b += 8) {
        float* even = z + 2 * b;
        float* odd = even + 8;
        for (int j = 0; j < 4; ++j) {
            const float orr = odd[2 * j] * wr[j] - odd[2 * j + 1] * wi[j];
            const float oi = odd[2 * j] * wi[j] + odd[2 * j + 1] * wr[j];
            const float er = even[2 * j], ei = even[2 * j + 1];
            even[2 * j] = er + orr;
            even[2 * j + 1] = ei + oi;
            odd[2 * j] = er - orr;
            odd[2 * j + 1] = ei - oi;
        }
    }
}

#if defined(SARNOVELLITE_FFT_KERNELS_USE_SSE)

// Lanes (re0, im0, re1, im1): two complex values per register.

inline __m128 SwapReIm(__m128 a) { return _mm_shuffle_ps(a, a, _MM_SHUFFLE(2, 3, 0, 1)); }

// Sign mask flipping lanes 0 and 2 (forward) or 1 and 3 (inverse), so that
// a * w becomes a * (wr, wr) + swap(a) * (-wi, wi): a complex product (or the
// product with conj w for the inverse).
template <bool kInverse>
inline __m128 TwiddleSignMask() {
    return kInverse ? _mm_set_ps(-0.0f, 0.0f, -0.0f, 0.0f) : _mm_set_ps(0.0f, -0.0f, 0.0f, -0.0f);
}

struct TwiddlePair {
    __m128 re;  // (wr0, wr0, wr1, wr1)
    __m128 im;  // signed imaginary parts, see TwiddleSignMask
};

struct TwiddleTriple {
    TwiddlePair w1, w2, w3;
};

// W^i, W^2i, W^3i of two consecutive j, whose entries lie `step` floats apart.
// Each load takes four floats of one entry (the last may reach two floats into
// the next entry, which always exists: the table has M/4 + 1 entries).
template <bool kInverse>
inline TwiddleTriple LoadTwiddles(const float* w, std::int32_t step) {
    const __m128 sign = TwiddleSignMask<kInverse>();
    const __m128 first12 = _mm_loadu_ps(w);          // w1r, w1i, w2r, w2i of j
    const __m128 second12 = _mm_loadu_ps(w + step);  // the same of j + 1
    const __m128 first3 = _mm_loadu_ps(w + 4);       // w3r, w3i of j
    const __m128 second3 = _mm_loadu_ps(w + step + 4);
    return {{_mm_shuffle_ps(first12, second12, _MM_SHUFFLE(0, 0, 0, 0)),
             _mm_xor_ps(_mm_shuffle_ps(first12, second12, _MM_SHUFFLE(1, 1, 1, 1)), sign)},
            {_mm_shuffle_ps(first12, second12, _MM_SHUFFLE(2, 2, 2, 2)),
             _mm_xor_ps(_mm_shuffle_ps(first12, second12, _MM_SHUFFLE(3, 3, 3, 3)), sign)},
            {_mm_shuffle_ps(first3, second3, _MM_SHUFFLE(0, 0, 0, 0)),
             _mm_xor_ps(_mm_shuffle_ps(first3, second3, _MM_SHUFFLE(1, 1, 1, 1)), sign)}};
}

inline __m128 MultiplyByTwiddle(__m128 a, const TwiddlePair& w) {
    return _mm_add_ps(_mm_mul_ps(a, w.re), _mm_mul_ps(SwapReIm(a), w.im));
}

// Multiplies by -i (forward) or +i (inverse): (re, im) -> (im, -re) or (-im, re).
template <bool kInverse>
inline __m128 RotateQuarter(__m128 a) {
    return _mm_xor_ps(SwapReIm(a), TwiddleSignMask<!kInverse>());
}

template <bool kInverse>
void FirstRadix4Pass(float* z, std::int32_t m) {
    // Each group holds q0, q1 (residue 2), q2 (residue 1), q3.
    // After swapping t3's parts, negating lane 3 gives -i*t3 and lane 2 gives +i*t3.
    const __m128 rotateSecond =
        kInverse ? _mm_set_ps(0.0f, -0.0f, 0.0f, 0.0f) : _mm_set_ps(-0.0f, 0.0f, 0.0f, 0.0f);
    for (std::int32_t g = 0; g < m; g += 4) {
        float* p = z + 2 * g;
        const __m128 a = _mm_loadu_ps(p);                  // q0, q1
        const __m128 b = _mm_loadu_ps(p + 4);              // q2, q3
        const __m128 lo = _mm_movelh_ps(a, b);             // q0, q2
        const __m128 hi = _mm_movehl_ps(b, a);             // q1, q3
        const __m128 sums = _mm_add_ps(lo, hi);            // t0 = q0 + q1, t2 = q2 + q3
        const __m128 diffs = _mm_sub_ps(lo, hi);           // t1 = q0 - q1, t3 = q2 - q3
        const __m128 firsts = _mm_movelh_ps(sums, diffs);  // t0, t1
        __m128 seconds = _mm_movehl_ps(diffs, sums);       // t2, t3
        // t3 -> -i*t3 (forward) or +i*t3 (inverse), t2 unchanged.
        seconds = _mm_shuffle_ps(seconds, seconds, _MM_SHUFFLE(2, 3, 1, 0));
        seconds = _mm_xor_ps(seconds, rotateSecond);
        _mm_storeu_ps(p, _mm_add_ps(firsts, seconds));      // X0 = t0 + t2, X1 = t1 -+ i*t3
        _mm_storeu_ps(p + 4, _mm_sub_ps(firsts, seconds));  // X2 = t0 - t2, X3 = t1 +- i*t3
    }
}

// Two radix-4 butterflies at j, j + 1 of the block whose first value is z0.
template <bool kInverse>
inline void Radix4ButterflyPair(float* z0, std::int32_t quarter, const TwiddleTriple& w) {
    float* z1 = z0 + 2 * quarter;
    float* z2 = z1 + 2 * quarter;
    float* z3 = z2 + 2 * quarter;
    const __m128 a0 = _mm_loadu_ps(z0);
    const __m128 a2 = MultiplyByTwiddle(_mm_loadu_ps(z1), w.w2);  // residue 2
    const __m128 a1 = MultiplyByTwiddle(_mm_loadu_ps(z2), w.w1);  // residue 1
    const __m128 a3 = MultiplyByTwiddle(_mm_loadu_ps(z3), w.w3);
    const __m128 t0 = _mm_add_ps(a0, a2);
    const __m128 t1 = _mm_sub_ps(a0, a2);
    const __m128 t2 = _mm_add_ps(a1, a3);
    const __m128 t3 = RotateQuarter<kInverse>(_mm_sub_ps(a1, a3));
    _mm_storeu_ps(z0, _mm_add_ps(t0, t2));
    _mm_storeu_ps(z2, _mm_sub_ps(t0, t2));
    _mm_storeu_ps(z1, _mm_add_ps(t1, t3));
    _mm_storeu_ps(z3, _mm_sub_ps(t1, t3));
}

// Complex values up to which a whole transform stays in the first-level cache.
constexpr std::int32_t kCacheResidentComplexCount = 4096;

template <bool kInverse>
void Radix4Pass(float* z, std::int32_t m, std::int32_t quarter, const float* twiddles) {
    const std::int32_t length = 4 * quarter;
    const std::int32_t step = 6 * (m / length);  // floats between the twiddles of j and j + 1
    if (m <= kCacheResidentComplexCount) {
        // j outside, blocks inside: each twiddle pair is prepared once per pass.
        for (std::int32_t j = 0; j < quarter; j += 2) {
            const TwiddleTriple w = LoadTwiddles<kInverse>(twiddles + j * step, step);
            for (std::int32_t b = 0; b < m; b += length)
                Radix4ButterflyPair<kInverse>(z + 2 * (b + j), quarter, w);
        }
    } else {
        // Blocks outside: one block at a time stays in cache, at the price of
        // preparing the twiddles again for every block.
        for (std::int32_t b = 0; b < m; b += length)
            for (std::int32_t j = 0; j < quarter; j += 2)
                Radix4ButterflyPair<kInverse>(z + 2 * (b + j), quarter,
                                              LoadTwiddles<kInverse>(twiddles + j * step, step));
    }
}

#if defined(SARNOVELLITE_FFT_KERNELS_USE_AVX2)

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

#endif  // SARNOVELLITE_FFT_KERNELS_USE_AVX2

#else

template <bool kInverse>
void FirstRadix4Pass(float* z, std::int32_t m) {
    for (std::int32_t g = 0; g < m; g += 4) {
        float* p = z + 2 * g;
        Butterfly4<kInverse>(p, p + 2, p + 4, p + 6, p[0], p[1], p[4], p[5], p[2], p[3], p[6], p[7]);
    }
}

template <bool kInverse>
void Radix4Pass(float* z, std::int32_t m, std::int32_t quarter, const float* twiddles) {
    const std::int32_t length = 4 * quarter;
    const std::int32_t stride = 6 * (m / length);
    for (std::int32_t b = 0; b < m; b += length) {
        float* z0 = z + 2 * b;
        float* z1 = z0 + 2 * quarter;
        float* z2 = z1 + 2 * quarter;
        float* z3 = z2 + 2 * quarter;
        const float* w = twiddles;
        for (std::int32_t j = 0; j < quarter; ++j, w += stride) {
            const float w1r = w[0], w2r = w[2], w3r = w[4];
            const float w1i = kInverse ? -w[1] : w[1];
            const float w2i = kInverse ? -w[3] : w[3];
            const float w3i = kInverse ? -w[5] : w[5];
            const float* q0 = z0 + 2 * j;
            const float* q1 = z1 + 2 * j;  // residue 2
            const float* q2 = z2 + 2 * j;  // residue 1
            const float* q3 = z3 + 2 * j;
            const float a1r = q2[0] * w1r - q2[1] * w1i, a1i = q2[0] * w1i + q2[1] * w1r;
            const float a2r = q1[0] * w2r - q1[1] * w2i, a2i = q1[0] * w2i + q1[1] * w2r;
            const float a3r = q3[0] * w3r - q3[1] * w3i, a3i = q3[0] * w3i + q3[1] * w3r;
            Butterfly4<kInverse>(z0 + 2 * j, z1 + 2 * j, z2 + 2 * j, z3 + 2 * j, q0[0], q0[1], a1r, a1i, a2r,
                                 a2i, a3r, a3i);
        }
    }
}

#endif  // SARNOVELLITE_FFT_KERNELS_USE_SSE

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

// ---- fixed formulas for N = 1, 2, 4, 8 (PackedSpectrum, unscaled) --------------

void SmallForward(const float* x, float* dst, int order) {
    switch (order) {
        case 0:
            dst[0] = x[0];
            return;
        case 1: {
            const float x0 = x[0], x1 = x[1];
            dst[0] = x0 + x1;
            dst[1] = x0 - x1;
            return;
        }
        case 2: {
            const float x0 = x[0], x1 = x[1], x2 = x[2], x3 = x[3];
            dst[0] = (x0 + x2) + (x1 + x3);
            dst[1] = (x0 + x2) - (x1 + x3);
            dst[2] = x0 - x2;
            dst[3] = x3 - x1;
            return;
        }
        default: {
            constexpr float kRootHalf = 0.70710677f;
            const float a0 = x[0] + x[4], a1 = x[0] - x[4];
            const float b0 = x[2] + x[6], b1 = x[2] - x[6];
            const float c0 = x[1] + x[5], c1 = x[1] - x[5];
            const float d0 = x[3] + x[7], d1 = x[3] - x[7];
            const float cd = kRootHalf * (c1 - d1);
            const float cs = kRootHalf * (c1 + d1);
            dst[0] = (a0 + b0) + (c0 + d0);
            dst[1] = (a0 + b0) - (c0 + d0);
            dst[2] = a1 + cd;
            dst[3] = -b1 - cs;
            dst[4] = a0 - b0;
            dst[5] = d0 - c0;
            dst[6] = a1 - cd;
            dst[7] = b1 - cs;
            return;
        }
    }
}

void SmallInverse(const float* p, float* y, int order) {
    switch (order) {
        case 0:
            y[0] = p[0];
            return;
        case 1: {
            const float p0 = p[0], p1 = p[1];
            y[0] = p0 + p1;
            y[1] = p0 - p1;
            return;
        }
        case 2: {
            const float sum = p[0] + p[1], diff = p[0] - p[1], re = 2.0f * p[2], im = 2.0f * p[3];
            y[0] = sum + re;
            y[2] = sum - re;
            y[1] = diff - im;
            y[3] = diff + im;
            return;
        }
        default: {
            constexpr float kRootTwo = 1.4142135f;
            // X1 = a + ib, X2 = c + id, X3 = e + if.
            const float sum = p[0] + p[1], diff = p[0] - p[1];
            const float a = p[2], b = p[3], c = p[4], d = p[5], e = p[6], f = p[7];
            const float evenBase0 = sum + 2.0f * c, evenBase1 = sum - 2.0f * c;
            const float ab = kRootTwo * (a - b), apb = kRootTwo * (a + b);
            const float ef = kRootTwo * (e - f), epf = kRootTwo * (e + f);
            y[0] = evenBase0 + 2.0f * (a + e);
            y[4] = evenBase0 - 2.0f * (a + e);
            y[2] = evenBase1 - 2.0f * (b - f);
            y[6] = evenBase1 + 2.0f * (b - f);
            y[1] = diff - 2.0f * d + (ab - epf);
            y[5] = diff - 2.0f * d - (ab - epf);
            y[3] = diff + 2.0f * d - (apb - ef);
            y[7] = diff + 2.0f * d + (apb - ef);
            return;
        }
    }
}

// ---- split post- and pre-processing between the half-length complex transform
// and the real spectrum ---------------------------------------------------------

// Both directions fold the direction's scale factor (1 when unscaled) into
// the values they read: scaling is linear, so this equals scaling the whole
// array, without a separate pass over it.

inline void ForwardSplitPair(float* dst, std::int32_t m, std::int32_t k, const float* split, float scale) {
    float* p = dst + 2 * k;
    float* q = dst + 2 * (m - k);
    const float c = split[2 * k], s = split[2 * k + 1];
    const float pr = scale * p[0], pi = scale * p[1], qr = scale * q[0], qi = scale * q[1];
    const float d = pr - qr, e = pi + qi;
    const float g = d * s + e * c;
    const float h = e * s - d * c;
    p[0] = qr + g;
    q[0] = pr - g;
    p[1] = h - qi;
    q[1] = h - pi;
}

inline void InverseSplitPair(const float* src, float* dst, std::int32_t m, std::int32_t k, const float* split,
                             float scale) {
    const float* p = src + 2 * k;
    const float* q = src + 2 * (m - k);
    const float co = split[2 * k], si = split[2 * k + 1];
    const float c = scale * p[0], d = scale * q[0], e = scale * p[1], f = scale * q[1];
    const float h = (c - d) * si - (e + f) * co;
    const float g = (c - d) * co + (e + f) * si;
    dst[2 * k] = c + d + h;
    dst[2 * (m - k)] = c + d - h;
    dst[2 * k + 1] = (e - f) + g;
    dst[2 * (m - k) + 1] = g - (e - f);
}

#if defined(SARNOVELLITE_FFT_KERNELS_USE_SSE)

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

#else

inline std::int32_t ForwardSplitQuads(float*, std::int32_t, const float*, float, std::int32_t k) { return k; }

inline std::int32_t InverseSplitQuads(const float*, float*, std::int32_t, const float*, float,
                                      std::int32_t k) {
    return k;
}

#endif  // SARNOVELLITE_FFT_KERNELS_USE_SSE

#if defined(SARNOVELLITE_FFT_KERNELS_USE_AVX2)

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

#else

inline std::int32_t ForwardSplitOcts(float*, std::int32_t, const float*, float) { return 1; }

inline std::int32_t InverseSplitOcts(const float*, float*, std::int32_t, const float*, float) { return 1; }

#endif  // SARNOVELLITE_FFT_KERNELS_USE_AVX2

void ForwardSplit(float* dst, std::int32_t m, const float* split, float scale) {
    const float a = scale * dst[0], b = scale * dst[1];
    dst[0] = a + b;
    dst[1] = a - b;
    const std::int32_t wideEnd = ForwardSplitOcts(dst, m, split, scale);
    for (std::int32_t k = ForwardSplitQuads(dst, m, split, scale, wideEnd); k < m / 2; ++k)
        ForwardSplitPair(dst, m, k, split, scale);
    dst[m] = scale * dst[m];
    dst[m + 1] = -(scale * dst[m + 1]);
}

void InverseSplit(const float* src, float* dst, std::int32_t m, const float* split, float scale) {
    const float p0 = scale * src[0], p1 = scale * src[1];
    const float middleRe = scale * src[m], middleIm = scale * src[m + 1];
    const std::int32_t wideEnd = InverseSplitOcts(src, dst, m, split, scale);
    for (std::int32_t k = InverseSplitQuads(src, dst, m, split, scale, wideEnd); k < m / 2; ++k)
        InverseSplitPair(src, dst, m, k, split, scale);
    dst[0] = p0 + p1;
    dst[1] = p0 - p1;
    dst[m] = 2.0f * middleRe;
    dst[m + 1] = -2.0f * middleIm;
}

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
