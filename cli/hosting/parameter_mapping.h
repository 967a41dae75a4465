// Host-facing settings to the normalised parameter values the bundled effect
// takes, read from its parameter table (effect/parameters/).
//
// The effect turns a normalised value v (a float) into an integer by
// truncation; each setting is sent as the value in the middle of its step,
// and the top of each range (reached only by v = 1.0) as 1.0 (normalisedFor).
#pragma once

#include "effect/parameters/sarnovellite_parameters.h"

// sensitivity: 1..5 as the effect displays it (internal level 0..4).
float sensitivityParameterValue(int sensitivity);

// gap: 8..64 samples.
float clickGapParameterValue(int gapSamples);

// Parameter indices of the bundled effect.
inline constexpr int kSensitivityParameter = sarnovellite::effect::sarnovellite_parameters::kSensitivity;
inline constexpr int kClickGapParameter = sarnovellite::effect::sarnovellite_parameters::kClickGap;
