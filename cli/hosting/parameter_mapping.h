// Host-facing settings to the normalised parameter values the effect takes.
//
// The effect turns a normalised value v (a float) into an integer by
// truncation computed in double: level = trunc(v * 4.0), gap = trunc(v * 56.0 + 8.0).
// Aiming at the exact lower edge of a step, e.g. (G - 8) / 56 rounded to float,
// can land a hair below it and lose a sample, so each setting is sent as the
// value in the middle of its step. The top of each range has a one-point step
// (only v = 1.0 reaches it), so it is sent as 1.0.
#pragma once

// sensitivity: 1..5 as the effect displays it (internal level 0..4).
float sensitivityParameterValue(int sensitivity);

// gap: 8..64 samples.
float clickGapParameterValue(int gapSamples);

// Parameter indices of the bundled effect.
inline constexpr int kSensitivityParameter = 0;
inline constexpr int kClickGapParameter = 2;
