#pragma once

#include <cstdint>

// What the restorer is asked to do, in a restorer's terms. A plain value: the
// effect layer keeps each field in a relaxed atomic and hands a fresh copy to
// RestoreEngine::setSettings between process calls; the engine clamps every
// field into its range, so any value is safe.
enum class RestoreOutput : int32_t {
    restored = 0,  // the repaired signal
    removed = 1,   // input minus repaired: what the engine took out
};

struct RestoreSettings {
    // Detection threshold in robust standard deviations of the whitened
    // signal (the AR model's matched-filter output). Lower finds more.
    // Clamped into [kMinThreshold, kMaxThreshold].
    float threshold = 7.0f;
    // Longest click the engine repairs, in ms. Longer bursts of model error
    // are taken for music (a transient) and left alone.
    // Clamped into [kMinLongestClickMs, kMaxLongestClickMs].
    float longestClickMs = 20.0f;
    // Small crackle (regions under about 0.25 ms): when off, those need twice
    // the threshold before they are touched.
    bool crackle = true;
    // Estimates and subtracts the low-frequency thump after large clicks.
    bool thump = true;
    RestoreOutput output = RestoreOutput::restored;

    static constexpr float kMinThreshold = 3.0f;
    static constexpr float kMaxThreshold = 30.0f;
    static constexpr float kMinLongestClickMs = 0.1f;
    static constexpr float kMaxLongestClickMs = 20.0f;
};
