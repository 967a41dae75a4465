// The seven element-wise vector operations, generic variant (used by every class).
#include <cmath>
#include <initializer_list>

#include "dsp/fft_status.h"
#include "dsp/detail/variants/class_variants.h"

namespace class0_generic {

namespace {

bool AnyNull(std::initializer_list<const void*> arrays) {
    for (const void* a : arrays)
        if (a == nullptr) return true;
    return false;
}

}  // namespace

std::int32_t ComplexPhase(const float* src, float* dst, std::int32_t len) {
    if (AnyNull({src, dst})) return StatusNullPointer;
    if (len < 1) return StatusSizeError;
    for (std::int32_t i = 0; i < len; ++i) dst[i] = std::atan2(src[2 * i + 1], src[2 * i]);
    return StatusOk;
}

std::int32_t ComplexMagnitude(const float* src, float* dst, std::int32_t len) {
    if (AnyNull({src, dst})) return StatusNullPointer;
    if (len < 1) return StatusSizeError;
    for (std::int32_t i = 0; i < len; ++i) {
        // Summing squares in double cannot overflow for any finite float pair.
        const double re = src[2 * i], im = src[2 * i + 1];
        dst[i] = static_cast<float>(std::sqrt(re * re + im * im));
    }
    return StatusOk;
}

std::int32_t PolarToComplex(const float* magnitude, const float* phase, float* dst, std::int32_t len) {
    if (AnyNull({magnitude, phase, dst})) return StatusNullPointer;
    if (len < 1) return StatusSizeError;
    for (std::int32_t i = 0; i < len; ++i) {
        const float m = magnitude[i], p = phase[i];  // dst may alias an input
        dst[2 * i] = m * std::cos(p);
        dst[2 * i + 1] = m * std::sin(p);
    }
    return StatusOk;
}

std::int32_t PolarToSplit(const float* magnitude, const float* phase, float* re, float* im,
                          std::int32_t len) {
    if (AnyNull({magnitude, phase, re, im})) return StatusNullPointer;
    if (len < 1) return StatusSizeError;
    for (std::int32_t i = 0; i < len; ++i) {
        const float m = magnitude[i], p = phase[i];
        re[i] = m * std::cos(p);
        im[i] = m * std::sin(p);
    }
    return StatusOk;
}

std::int32_t VectorAtan2(const float* y, const float* x, float* dst, std::int32_t len) {
    if (AnyNull({y, x, dst})) return StatusNullPointer;
    if (len < 1) return StatusSizeError;
    for (std::int32_t i = 0; i < len; ++i) dst[i] = std::atan2(y[i], x[i]);
    return StatusOk;
}

std::int32_t VectorCos(const float* src, float* dst, std::int32_t len) {
    if (AnyNull({src, dst})) return StatusNullPointer;
    if (len < 1) return StatusSizeError;
    for (std::int32_t i = 0; i < len; ++i) dst[i] = std::cos(src[i]);
    return StatusOk;
}

std::int32_t VectorSin(const float* src, float* dst, std::int32_t len) {
    if (AnyNull({src, dst})) return StatusNullPointer;
    if (len < 1) return StatusSizeError;
    for (std::int32_t i = 0; i < len; ++i) dst[i] = std::sin(src[i]);
    return StatusOk;
}

}  // namespace class0_generic
