// The scalar four-point butterfly and the radix-2 pass every instruction set uses.
// Part of the transform kernels: include only through
// dsp/detail/real_fft_kernels.h, which sets the instruction-set macros first.
#pragma once

#include <cstdint>

namespace {

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

}  // namespace
