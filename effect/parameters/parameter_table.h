// What a plug-in parameter is, for every effect and every plug-in format.
//
// One ParameterInfo describes one parameter: its index (the VST 2 parameter
// number), its symbol and name, its unit label, its kind, and how the
// normalised value v in [0, 1] that hosts send becomes the effect's value:
//
//     value = v * scale + offset        (in double, from the float v)
//     steps (integer, enumeration, toggle): value truncated toward zero,
//                                          saturated into int32 (NaN -> 0)
//     shown = value + shownOffset       (what the user reads, in `label`)
//
// The shown unit is the one an LV2 port, a command-line option and a display
// text use; minimum, maximum and default in that unit follow from the mapping
// (shownMinimum, shownMaximum, shownDefault). Enumerations and toggles name
// their steps in `scalePoints` (shown values with labels); a display text is
// a scale point's label when one matches, otherwise the shown number.
//
// Header only and free of any other project header: the VST 2 adapters, the
// LV2 description generator, the command-line host and the tests all read it.
// Everything is constexpr data or a pure function; safe from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <span>
#include <string_view>

namespace sarnovellite::effect {

enum class ParameterKind : std::uint8_t {
    continuous,   // any value in the range, shown with `decimals` places
    integer,      // whole steps, shown as a number
    enumeration,  // whole steps, each named by a scale point
    toggle,       // off (0) or on (1)
};

struct ScalePoint {
    double shown;
    std::string_view label;
};

struct ParameterInfo {
    std::int32_t index;
    std::string_view symbol;  // lower case, no spaces (LV2 port symbol)
    std::string_view name;    // shown to the user
    std::string_view label;   // unit after the value: "dB", "ms" or empty
    ParameterKind kind;
    double scale;
    double offset;
    double shownOffset;
    float defaultNormalised;
    bool announced;  // counted by the VST 2 record; the others answer when addressed by index
    int decimals = 0;
    std::span<const ScalePoint> scalePoints = {};
};

// Truncation toward zero like a cast, but defined for every double: NaN gives
// 0, anything beyond the int32 range its nearest end.
constexpr std::int32_t truncateSaturated(double value) noexcept {
    if (!(value == value)) return 0;
    if (value >= 2147483648.0) return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483649.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

constexpr bool isStepped(const ParameterInfo& p) noexcept { return p.kind != ParameterKind::continuous; }

// The effect's value of a stepped parameter (before shownOffset).
constexpr std::int32_t steppedValue(const ParameterInfo& p, float normalised) noexcept {
    return truncateSaturated(static_cast<double>(normalised) * p.scale + p.offset);
}

// The effect's value of any parameter (before shownOffset).
constexpr double mappedValue(const ParameterInfo& p, float normalised) noexcept {
    if (isStepped(p)) return steppedValue(p, normalised);
    return static_cast<double>(normalised) * p.scale + p.offset;
}

constexpr double shownValue(const ParameterInfo& p, float normalised) noexcept {
    return mappedValue(p, normalised) + p.shownOffset;
}
constexpr double shownMinimum(const ParameterInfo& p) noexcept { return shownValue(p, 0.0f); }
constexpr double shownMaximum(const ParameterInfo& p) noexcept { return shownValue(p, 1.0f); }
constexpr double shownDefault(const ParameterInfo& p) noexcept { return shownValue(p, p.defaultNormalised); }

// The normalised value that gives `shown`. A step is aimed at its middle: its
// exact lower edge, rounded to float, can land a hair below and lose a step.
// The top step of a stepped range is reached only by v = 1, so it gets 1.
constexpr float normalisedFor(const ParameterInfo& p, double shown) noexcept {
    const double value = shown - p.shownOffset;
    if (isStepped(p)) {
        if (value >= p.offset + p.scale) return 1.0f;
        return static_cast<float>((value - p.offset + 0.5) / p.scale);
    }
    return static_cast<float>((value - p.offset) / p.scale);
}

constexpr const ParameterInfo* findParameter(std::span<const ParameterInfo> table,
                                             std::int32_t index) noexcept {
    for (const ParameterInfo& p : table) {
        if (p.index == index) return &p;
    }
    return nullptr;
}

constexpr std::int32_t announcedCount(std::span<const ParameterInfo> table) noexcept {
    std::int32_t count = 0;
    for (const ParameterInfo& p : table) count += p.announced ? 1 : 0;
    return count;
}

// The display text of `value` (as mappedValue gives it) into text[size].
// Stepped values are widened before shownOffset is added, so a saturated
// value cannot overflow.
inline void formatValue(const ParameterInfo& p, double value, char* text, std::size_t size) {
    if (size == 0) return;
    const double shown = value + p.shownOffset;
    for (const ScalePoint& point : p.scalePoints) {
        if (point.shown == shown) {
            const std::size_t length = point.label.size() < size - 1 ? point.label.size() : size - 1;
            point.label.copy(text, length);
            text[length] = '\0';
            return;
        }
    }
    if (isStepped(p)) {
        std::snprintf(text, size, "%lld",
                      static_cast<long long>(value) + static_cast<long long>(p.shownOffset));
    } else {
        std::snprintf(text, size, "%.*f", p.decimals, shown);
    }
}

}  // namespace sarnovellite::effect
