// Radix-4 passes with SSE: two complex values per register.
// Part of the transform kernels: include only through
// dsp/detail/real_fft_kernels.h, which sets the instruction-set macros first.
#pragma once

#include <cstdint>

namespace {

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

}  // namespace
