// Double-to-int32 conversion that is defined for every input.
//
// A plain cast of a NaN, an infinity or a value outside the int32 range is
// undefined behaviour, and host-supplied floats can be any of these. This
// truncates toward zero like the cast and saturates everything else: NaN
// becomes 0, anything beyond the range its nearest end.
#pragma once

#include <cstdint>
#include <limits>

constexpr std::int32_t saturatingTruncateToInt32(double value) noexcept {
    if (!(value == value)) return 0;
    // Both bounds are exact in double; after truncation every value in
    // (-2^31 - 1, 2^31) is representable.
    if (value >= 2147483648.0) return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483649.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}
