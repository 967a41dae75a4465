#pragma once

#include <vector>

#include "engine/tqc_crackle_detector.h"

// A detector set up the way the plug-in sets it up (factor 6, gap 32), plus a
// window buffer with N samples of history before it.
struct DetectorFixture {
    explicit DetectorFixture(int n = 2048)
        : n(n), storage(static_cast<size_t>(2 * n), 0.0f), out(static_cast<size_t>(n)) {
        detector.init(n, 2);
        detector.setSensitivity(0);
        detector.setClickGap(32);
    }
    ~DetectorFixture() { detector.release(); }
    DetectorFixture(const DetectorFixture&) = delete;
    DetectorFixture& operator=(const DetectorFixture&) = delete;

    float* window() { return storage.data() + n; }
    // Copies history+window (2N samples, oldest first).
    void load(const std::vector<float>& historyAndWindow) {
        for (int i = 0; i < 2 * n; ++i)
            storage[static_cast<size_t>(i)] = historyAndWindow[static_cast<size_t>(i)];
    }
    int run(int newFrames = 1792) { return detector.processBlock(window(), out.data(), newFrames); }

    int n;
    TQCCrackleDetector detector;
    std::vector<float> storage;
    std::vector<float> out;
};
