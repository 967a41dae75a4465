// Split post- and pre-processing: the widest bins first, then four, then pairs.
// Part of the transform kernels: include only through
// dsp/detail/real_fft_kernels.h, which sets the instruction-set macros first.
#pragma once

#include <cstdint>

namespace {

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

}  // namespace
