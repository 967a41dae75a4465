#include "engine_materials.h"

#include <cstddef>
#include <cstdint>

#include "test_signals.h"

namespace engine_materials {

namespace {

std::vector<float> interleave(const std::vector<float>& left, const std::vector<float>& right) {
    std::vector<float> v(2 * left.size());
    for (size_t i = 0; i < left.size(); ++i) {
        v[2 * i] = left[i];
        v[2 * i + 1] = right[i];
    }
    return v;
}

}  // namespace

std::vector<float> musicLike() {
    return interleave(test_signals::musicLike(kFrames, 1), test_signals::musicLike(kFrames, 2));
}

// Low-level broadband material with a click every ~900 samples per channel:
// nearly every window needs the band-limited fill.
std::vector<float> denseCrackle() {
    auto left = test_signals::whiteNoise(kFrames, 0.003, 3);
    auto right = test_signals::whiteNoise(kFrames, 0.003, 4);
    for (int p = 1000; p < kFrames - 10; p += 900) {
        test_signals::addImpulse(left, p, 0.5);
        test_signals::addDampedClick(right, p + 450, -0.4);
    }
    return interleave(left, right);
}

std::vector<float> periodicWithClicks() {
    auto left = test_signals::sungVowel(kFrames, 367.5, 0.3, 5);
    auto right = test_signals::harmonicTone(kFrames, 441.0, 6, 0.2);
    for (int p = 1000; p < kFrames - 10; p += 1500) {
        test_signals::addDampedClick(left, p, 0.5);
        test_signals::addImpulse(right, p + 700, -0.4);
    }
    return interleave(left, right);
}

// A 41 ms scratch every 2 s on quiet noise: a rasp at the Nyquist frequency
// (every difference the same size, so it adds no peaks of its own but keeps
// the smoothed difference above the window's mean) with a sharp tick every
// 300 samples. Its region reaches past the window's end, so it is deferred
// again and again and cycles advance by only the click gap.
std::vector<float> longScratch() {
    auto left = test_signals::whiteNoise(kFrames, 0.001, 6);
    auto right = test_signals::whiteNoise(kFrames, 0.001, 7);
    const int length = 1800;
    for (int p = 20000; p + length < kFrames; p += 88200) {
        auto grain = test_signals::whiteNoise(length, 0.0001, static_cast<uint32_t>(p));
        for (int i = 0; i < length; ++i) {
            const float rasp = (i % 2 == 0 ? 0.03f : -0.03f) + grain[static_cast<size_t>(i)];
            const float tick = (i % 300 == 150) ? ((i / 300) % 2 ? 0.6f : -0.6f) : 0.0f;
            left[static_cast<size_t>(p + i)] += rasp + tick;
            right[static_cast<size_t>(p + i)] += 0.8f * (rasp + tick);
        }
    }
    return interleave(left, right);
}

}  // namespace engine_materials
