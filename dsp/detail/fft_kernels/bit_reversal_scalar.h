// Bit-reversal permutation without SSE: one complex value at a time.
// Part of the transform kernels: include only through
// dsp/detail/real_fft_kernels.h, which sets the instruction-set macros first.
#pragma once

#include <cstdint>

namespace {

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

}  // namespace
