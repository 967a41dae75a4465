// Stand-in for the detector's member functions: linked instead of the real
// detector objects, so the engine code under test is unchanged.
#include <cstring>

#include "engine/tqc_crackle_detector.h"
#include "scripted_crackle_detector.h"

namespace scripted_detector {
int32_t (*countFor)(int64_t, int32_t) = nullptr;
int32_t channelsPerCycle = 2;
float markerStep = 0.0f;
int64_t calls = 0;
int32_t lastNewFrames = 0;

void resetScript(int32_t channels) {
    countFor = nullptr;
    channelsPerCycle = channels;
    markerStep = 0.0f;
    calls = 0;
    lastNewFrames = 0;
}
}  // namespace scripted_detector

void TQCCrackleDetector::init(int32_t newBlockSize, int32_t) { blockSize = newBlockSize; }

void TQCCrackleDetector::release() {}

void TQCCrackleDetector::setSensitivity(int32_t) {}

void TQCCrackleDetector::setClickGap(int32_t) {}

int32_t TQCCrackleDetector::processBlock(const float* input, float* output, int32_t newFrames) {
    using namespace scripted_detector;
    const int64_t cycle = calls / channelsPerCycle;
    const auto channel = static_cast<int32_t>(calls % channelsPerCycle);
    ++calls;
    lastNewFrames = newFrames;
    std::memcpy(output, input, static_cast<size_t>(blockSize) * sizeof(float));
    if (markerStep != 0.0f) {
        for (int32_t i = 0; i < blockSize; ++i) output[i] += static_cast<float>(cycle) * markerStep;
    }
    return countFor != nullptr ? countFor(cycle, channel) : blockSize - blockSize / 8;
}
