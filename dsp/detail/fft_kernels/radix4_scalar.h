// Radix-4 passes without SSE.
// Part of the transform kernels: include only through
// dsp/detail/real_fft_kernels.h, which sets the instruction-set macros first.
#pragma once

#include <cstdint>

namespace {

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

}  // namespace
