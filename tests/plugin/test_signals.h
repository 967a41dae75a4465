// Test signals: a clean periodic stereo signal (nothing a click detector should
// touch, and a period a repair can use) and the same with isolated clicks
// added at known frames.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

struct StereoSignal {
    std::vector<float> left;
    std::vector<float> right;
};

inline StereoSignal cleanSignal(std::size_t frames, double phase = 0.0) {
    StereoSignal s{std::vector<float>(frames), std::vector<float>(frames)};
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i);
        s.left[i] = static_cast<float>(0.4 * std::sin(2.0 * M_PI * t / 100.0 + phase) +
                                       0.1 * std::sin(2.0 * M_PI * t / 50.0 + 0.3));
        s.right[i] = static_cast<float>(0.3 * std::sin(2.0 * M_PI * t / 150.0 + 1.0 + phase));
    }
    return s;
}

inline std::vector<std::size_t> clickFrames(std::size_t frames, std::size_t spacing) {
    std::vector<std::size_t> at;
    for (std::size_t f = spacing; f + 8 < frames; f += spacing) at.push_back(f);
    return at;
}

inline StereoSignal withClicks(const StereoSignal& clean, const std::vector<std::size_t>& at, float height) {
    StereoSignal s = clean;
    for (std::size_t k = 0; k < at.size(); ++k) {
        const float sign = (k & 1) ? -1.0f : 1.0f;
        s.left[at[k]] += sign * height;
        s.left[at[k] + 1] -= sign * height * 0.6f;
        s.right[at[k] + 3] -= sign * height;
    }
    return s;
}

inline std::vector<int> randomLengths(std::uint32_t seed, std::size_t count, int smallest, int largest) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> length(smallest, largest);
    std::vector<int> lengths(count);
    for (int& l : lengths) l = length(random);
    return lengths;
}
