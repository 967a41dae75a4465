// The parameters of the Sarnovellite Restore effect, all five announced.
//
//   0 "Threshold"      detection threshold in robust standard deviations of
//                      the AR model's error: v * 27 + 3, "3.0" to "30.0"
//                      sigma, 7.0 by default; lower repairs more
//   1 "Longest click"  longest burst repaired as a click: v * 19.9 + 0.1,
//                      "0.1" to "20.0" ms, 20.0 by default; longer bursts are
//                      taken for music and left alone
//   2 "Crackle"        toggle, on by default (on from v of about 0.5): small
//                      crackle is repaired at the threshold; off, it needs
//                      twice the threshold
//   3 "Thump"          toggle, on by default: the low-frequency tail after a
//                      large click is estimated and subtracted
//   4 "Output"         enumeration, "Restored" (0, the default) or "Removed"
//                      (1, input minus restored: audition what was taken out)
//
// The ranges are those RestoreSettings clamps into, so every shown value is
// one the engine uses as it is. The defaults are the engine's own, chosen for
// a typical worn record. Any other index is not a parameter: its name is
// kUnlistedName, it reads 0, ignores writes and has an empty display text.
#pragma once

#include <string_view>

#include "effect/parameters/parameter_table.h"

namespace sarnovellite::effect::restore_parameters {

inline constexpr std::int32_t kThreshold = 0;
inline constexpr std::int32_t kLongestClick = 1;
inline constexpr std::int32_t kCrackle = 2;
inline constexpr std::int32_t kThump = 3;
inline constexpr std::int32_t kOutput = 4;

inline constexpr std::int32_t kOutputRestored = 0;
inline constexpr std::int32_t kOutputRemoved = 1;

// (7 - 3) / 27 rounded to float; shows as 7.0.
inline constexpr float kDefaultThresholdValue = 0.14814815f;

// The two-step parameters switch at the middle of the host's range, as a
// generic slider or knob would be read: v * 1.999 truncates to 0 below about
// 0.5 and to 1 above it, and v = 1 still gives 1.
inline constexpr double kTwoStepScale = 1.999;

inline constexpr ScalePoint kToggleSteps[] = {{0.0, "Off"}, {1.0, "On"}};
inline constexpr ScalePoint kOutputSteps[] = {{kOutputRestored, "Restored"}, {kOutputRemoved, "Removed"}};

inline constexpr ParameterInfo kTable[] = {
    {.index = kThreshold,
     .symbol = "threshold",
     .name = "Threshold",
     .label = "sigma",
     .kind = ParameterKind::continuous,
     .scale = 27.0,
     .offset = 3.0,
     .shownOffset = 0.0,
     .defaultNormalised = kDefaultThresholdValue,
     .announced = true,
     .decimals = 1},
    {.index = kLongestClick,
     .symbol = "longest_click",
     .name = "Longest click",
     .label = "ms",
     .kind = ParameterKind::continuous,
     .scale = 19.9,
     .offset = 0.1,
     .shownOffset = 0.0,
     .defaultNormalised = 1.0f,
     .announced = true,
     .decimals = 1},
    {.index = kCrackle,
     .symbol = "crackle",
     .name = "Crackle",
     .label = "",
     .kind = ParameterKind::toggle,
     .scale = kTwoStepScale,
     .offset = 0.0,
     .shownOffset = 0.0,
     .defaultNormalised = 1.0f,
     .announced = true,
     .scalePoints = kToggleSteps},
    {.index = kThump,
     .symbol = "thump",
     .name = "Thump",
     .label = "",
     .kind = ParameterKind::toggle,
     .scale = kTwoStepScale,
     .offset = 0.0,
     .shownOffset = 0.0,
     .defaultNormalised = 1.0f,
     .announced = true,
     .scalePoints = kToggleSteps},
    {.index = kOutput,
     .symbol = "output",
     .name = "Output",
     .label = "",
     .kind = ParameterKind::enumeration,
     .scale = kTwoStepScale,
     .offset = 0.0,
     .shownOffset = 0.0,
     .defaultNormalised = 0.0f,
     .announced = true,
     .scalePoints = kOutputSteps},
};

inline constexpr std::string_view kUnlistedName = "";

inline constexpr const ParameterInfo& kThresholdInfo = kTable[kThreshold];
inline constexpr const ParameterInfo& kLongestClickInfo = kTable[kLongestClick];
inline constexpr const ParameterInfo& kCrackleInfo = kTable[kCrackle];
inline constexpr const ParameterInfo& kThumpInfo = kTable[kThump];
inline constexpr const ParameterInfo& kOutputInfo = kTable[kOutput];

static_assert(shownMinimum(kThresholdInfo) == 3.0 && shownMaximum(kThresholdInfo) == 30.0);
static_assert(shownDefault(kThresholdInfo) > 6.9999 && shownDefault(kThresholdInfo) < 7.0001);
static_assert(shownMinimum(kLongestClickInfo) == 0.1 && shownMaximum(kLongestClickInfo) == 20.0);
static_assert(steppedValue(kCrackleInfo, kCrackleInfo.defaultNormalised) == 1);
static_assert(steppedValue(kCrackleInfo, 0.49f) == 0 && steppedValue(kCrackleInfo, 0.51f) == 1);
static_assert(shownMaximum(kCrackleInfo) == 1 && shownMaximum(kOutputInfo) == kOutputRemoved);
static_assert(steppedValue(kOutputInfo, kOutputInfo.defaultNormalised) == kOutputRestored);
static_assert(announcedCount(kTable) == 5);

}  // namespace sarnovellite::effect::restore_parameters
