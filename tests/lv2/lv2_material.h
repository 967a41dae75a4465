// Test material and plug-in cases shared by the LV2 tests.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "lv2_host.h"

// Stereo music-like material at 44.1 kHz with impulses, damped clicks and a
// short burst in both channels: every repair path runs.
Stereo clickedStereo(int frames, std::uint32_t seed);

// The first position from which `out` equals `in` delayed by `lag` closest,
// searched over 0..maxLag by squared error on the finite samples.
int measuredDelay(const Stereo& in, const Stereo& out, int maxLag);

bool bitIdentical(const std::vector<float>& a, const std::vector<float>& b);

struct PluginCase {
    std::string name;
    std::string uri;
    std::vector<float> defaults;  // each control port's default, in port order
    std::int32_t latencyMaximum;
};

// How GoogleTest names a case in its output.
inline void PrintTo(const PluginCase& c, std::ostream* os) { *os << c.uri; }

// Every plug-in of the bundle, with its controls' defaults from the tables.
std::vector<PluginCase> bundleCases();

// The built binary, loaded once per test process.
const Lv2Binary& bundleBinary();
