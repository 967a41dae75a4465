// The parameters of the Sarnovellite effect.
//
//   0 "Sensitivity"  level = trunc(v * 4), shown as level + 1: "1" to "5"
//                    (only v = 1.0 reaches 5); the one the record announces;
//                    an enumeration whose scale points read as the numbers
//                    themselves, so every display text stays the number
//   2 "Clickgap"     samples = trunc(v * 56 + 8): "8" to "64", 32 by default
//   3 "Unused"       a spare value, stored and read back, always shown as "0"
//
// Index 1 and any other index are not in the table: their name is
// kUnlistedName, reading one gives the spare value, writing one changes
// nothing and their display text is empty. No parameter has a unit label.
#pragma once

#include <string_view>

#include "effect/parameters/parameter_table.h"

namespace sarnovellite::effect::sarnovellite_parameters {

inline constexpr std::int32_t kSensitivity = 0;
inline constexpr std::int32_t kClickGap = 2;
inline constexpr std::int32_t kSpare = 3;

// The five levels, named by their numbers (hosts list them in a menu).
inline constexpr ScalePoint kSensitivityLevels[] = {
    {1.0, "1"}, {2.0, "2"}, {3.0, "3"}, {4.0, "4"}, {5.0, "5"}};

// (32 - 8) / 56 rounded to float; maps back to 32 samples.
inline constexpr float kDefaultClickGapValue = 0.42857143f;

inline constexpr ParameterInfo kTable[] = {
    {.index = kSensitivity,
     .symbol = "sensitivity",
     .name = "Sensitivity",
     .label = "",
     .kind = ParameterKind::enumeration,
     .scale = 4.0,
     .offset = 0.0,
     .shownOffset = 1.0,
     .defaultNormalised = 0.0f,
     .announced = true,
     .scalePoints = kSensitivityLevels},
    {.index = kClickGap,
     .symbol = "clickgap",
     .name = "Clickgap",
     .label = "",
     .kind = ParameterKind::integer,
     .scale = 56.0,
     .offset = 8.0,
     .shownOffset = 0.0,
     .defaultNormalised = kDefaultClickGapValue,
     .announced = false},
    {.index = kSpare,
     .symbol = "unused",
     .name = "Unused",
     .label = "",
     .kind = ParameterKind::integer,
     .scale = 0.0,
     .offset = 0.0,
     .shownOffset = 0.0,
     .defaultNormalised = 1.0f,
     .announced = false},
};

inline constexpr std::string_view kUnlistedName = "Unused";

inline constexpr const ParameterInfo& kSensitivityInfo = kTable[0];
inline constexpr const ParameterInfo& kClickGapInfo = kTable[1];
inline constexpr const ParameterInfo& kSpareInfo = kTable[2];

static_assert(steppedValue(kClickGapInfo, kDefaultClickGapValue) == 32);
static_assert(shownMinimum(kSensitivityInfo) == 1 && shownMaximum(kSensitivityInfo) == 5);
static_assert(shownMinimum(kClickGapInfo) == 8 && shownMaximum(kClickGapInfo) == 64);
static_assert(announcedCount(kTable) == 1);

}  // namespace sarnovellite::effect::sarnovellite_parameters
