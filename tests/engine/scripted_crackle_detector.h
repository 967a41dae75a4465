#pragma once

#include <cstdint>

// Control of the stand-in detector linked into the plumbing tests in place of
// the real one. It copies every window unchanged (optionally adding a marker
// per cycle) and returns the count chosen by `countFor`.
namespace scripted_detector {

// Count for a cycle and channel; null means N - N/8.
extern int32_t (*countFor)(int64_t cycle, int32_t channel);
// Channels per cycle, to tell cycles apart (calls come channel 0 first).
extern int32_t channelsPerCycle;
// When set, output sample = input sample + cycle * markerStep.
extern float markerStep;
extern int64_t calls;
extern int32_t lastNewFrames;

void resetScript(int32_t channels);

}  // namespace scripted_detector
