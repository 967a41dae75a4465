// Split post- and pre-processing, one pair of bins at a time (every instruction set).
// Part of the transform kernels: include only through
// dsp/detail/real_fft_kernels.h, which sets the instruction-set macros first.
#pragma once

#include <cstdint>

namespace {

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

}  // namespace
