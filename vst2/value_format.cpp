#include "vst2/value_format.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kTextWidth = 8;

// The digit of the units place of a non-negative double, from its fractional
// representation: callers pass values already scaled by powers of 0.1 and rely
// on the fraction carrying the lower digits.
char unitsDigit(double scaled) { return static_cast<char>('0' + static_cast<int>(std::fmod(scaled, 10.0))); }

}  // namespace

void formatFloat8(float value, char* text) {
    double v = value;
    if (std::isnan(v)) {
        std::strcpy(text, "NaN");
        return;
    }
    const bool negative = v < 0.0;
    int count = 0;
    double limit = 99999999.0;
    if (negative) {
        v = -v;
        count = 1;
        limit = 9999999.0;
    }
    if (v > limit) {
        std::strcpy(text, "Huge!");
        return;
    }

    // Integer digits, right to left, in front of the point. Within the limits
    // there are at most 8 digits, so the work buffer never fills.
    char work[kTextWidth + 4];
    char* front = work + sizeof(work) - 1;
    *front = '\0';
    *--front = '.';
    double integ = std::floor(v);
    *--front = unitsDigit(integ);
    integ *= 0.1;
    int digits = 1;
    while (integ >= 1.0) {
        *--front = unitsDigit(integ);
        integ *= 0.1;
        ++digits;
    }
    if (negative) *--front = '-';
    count += digits + 1;

    if (count > kTextWidth) {
        // The integer part alone fills the width: keep every digit, drop the point.
        const std::size_t length = std::strlen(front) - 1;
        std::memcpy(text, front, length);
        text[length] = '\0';
        return;
    }
    std::strcpy(text, front);
    if (count == kTextWidth) return;

    const int fractionDigits = kTextWidth - count;
    double m = std::fmod(v, 1.0) * std::pow(10.0, fractionDigits);
    char* fraction = text + count;
    for (int i = fractionDigits - 1; i >= 0; --i) {
        if (m <= 0.0) {
            fraction[i] = '0';
        } else {
            fraction[i] = unitsDigit(m);
            m *= 0.1;
        }
    }
    fraction[fractionDigits] = '\0';
}

void formatLong8(std::int32_t value, char* text) {
    if (value >= 100000000) {
        std::strcpy(text, "Huge!");
        return;
    }
    char wide[16];
    std::snprintf(wide, sizeof(wide), "%7d", static_cast<int>(value));
    std::memcpy(text, wide, kTextWidth);
    text[kTextWidth] = '\0';
}
