// Status codes every primitive returns, and the scaling flags of a real-FFT spec.
//
// Statuses are 32-bit signed: 0 is success, failures are negative. A primitive
// that fails writes nothing but its status.
#pragma once

#include <cstdint>

constexpr std::int32_t StatusOk = 0;
constexpr std::int32_t StatusSizeError = -6;         // vector length below 1
constexpr std::int32_t StatusNullPointer = -8;       // a required pointer is null
constexpr std::int32_t StatusNoMemory = -9;          // an allocation failed
constexpr std::int32_t StatusFftOrderError = -15;    // order outside 0..30
constexpr std::int32_t StatusFftFlagError = -16;     // scaling flag other than 1, 2, 4, 8
constexpr std::int32_t StatusContextMismatch = -17;  // the record is not a live RealFftSpec

// Scaling flags, N = 2^order:      forward result x   inverse result x
constexpr std::int32_t FftScaleForward = 1;  // 1/N                1
constexpr std::int32_t FftScaleInverse = 2;  // 1                  1/N
constexpr std::int32_t FftScaleSqrt = 4;     // 1/sqrt(N)          1/sqrt(N)
constexpr std::int32_t FftNoScale = 8;       // 1                  1
