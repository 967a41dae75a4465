#pragma once

// Rounds a value to binary32. The detector's decisions depend on float sums
// being rounded after every addition; on 32-bit x87 builds the compiler may
// otherwise keep intermediate floats in 80-bit registers, so there the value
// is forced through memory. Elsewhere this is a plain conversion.
inline float roundToFloat(double value) {
#if defined(__i386__) && !defined(__SSE_MATH__)
    volatile float stored = static_cast<float>(value);
    return stored;
#else
    return static_cast<float>(value);
#endif
}
