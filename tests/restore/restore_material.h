#pragma once

// Material for the restore engine's tests: music with plucked onsets, and
// damage of known extent added to it.

#include <cstdint>
#include <vector>

namespace restore_material {

// Plucked harmonic notes (a short noisy attack, then decaying partials) over a
// held chord and a noise floor near -70 dBFS; peak about 0.5.
std::vector<float> pluckedMusic(int frames, double rate, uint32_t seed);

struct Damage {
    int start;
    int length;
};

// Adds one impulse, ringing click (0.1 to 1.5 ms) or crackle (2 to 8 samples)
// about every `spacing` frames, from frame `first` on; amplitudes 0.05 to 0.4.
std::vector<Damage> addClicks(std::vector<float>& x, double rate, int first, int spacing, uint32_t seed);

// Error energy of out against clean over [from, to).
double errorEnergy(const std::vector<float>& out, const std::vector<float>& clean, int from, int to);

}  // namespace restore_material
