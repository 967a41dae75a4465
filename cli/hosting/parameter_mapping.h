// Host-facing settings to the normalised parameter values the bundled effects
// take, read from their parameter tables (effect/parameters/).
//
// The effect turns a normalised value v (a float) into an integer by
// truncation; each setting is sent as the value in the middle of its step,
// and the top of each range (reached only by v = 1.0) as 1.0 (normalisedFor).
#pragma once

#include <string>
#include <vector>

#include "effect/parameters/restore_parameters.h"
#include "effect/parameters/sarnovellite_parameters.h"

// sensitivity: 1..5 as the effect displays it (internal level 0..4).
float sensitivityParameterValue(int sensitivity);

// gap: 8..64 samples.
float clickGapParameterValue(int gapSamples);

// Parameter indices of the bundled effect.
inline constexpr int kSensitivityParameter = sarnovellite::effect::sarnovellite_parameters::kSensitivity;
inline constexpr int kClickGapParameter = sarnovellite::effect::sarnovellite_parameters::kClickGap;

// The restore effect's settings: one shown value per row of
// restore_parameters::kTable, in its order, in the row's shown unit
// (threshold in sigma, longest click in ms, toggles 0/1, output 0/1).
std::vector<double> restoreDefaults();

struct RestoreParameterValue {
    int index;
    float normalised;
};
// The values to send; an empty list of settings sends the defaults.
std::vector<RestoreParameterValue> restoreParameterValues(const std::vector<double>& shown);

// The settings as the effect shows them, for reports: one per row.
struct ShownRestoreSetting {
    std::string symbol;  // "threshold"
    std::string name;    // "Threshold"
    std::string text;    // "7.0 sigma", "On", "Restored"
    double shown;
    bool named;  // text is a step's name, not a number
};
std::vector<ShownRestoreSetting> shownRestoreSettings(const std::vector<double>& shown);
// "threshold 7.0 sigma; longest click 20.0 ms; crackle on; thump on; output restored"
std::string restoreSettingsLine(const std::vector<double>& shown);
