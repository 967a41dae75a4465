// Fixed formulas for N = 1, 2, 4, 8.
// Part of the transform kernels: include only through
// dsp/detail/real_fft_kernels.h, which sets the instruction-set macros first.
#pragma once

#include <cstdint>

namespace {

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

}  // namespace
