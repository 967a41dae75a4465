// The four stereo materials the engine is measured and checked on: 10 s at
// 44.1 kHz, interleaved (left first), the same samples on every call.
#pragma once

#include <vector>

namespace engine_materials {

constexpr int kSeconds = 10;
constexpr int kFrames = kSeconds * 44100;

// (a) click-free, music-like.
std::vector<float> musicLike();
// (b) low-level noise with a click every ~900 samples per channel: nearly
// every window needs the band-limited fill.
std::vector<float> denseCrackle();
// (c) periodic material with clicks: the periodic repair.
std::vector<float> periodicWithClicks();
// (d) a 41 ms broadband scratch every 2 s, deferred window after window.
std::vector<float> longScratch();

}  // namespace engine_materials
