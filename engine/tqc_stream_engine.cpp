#include "engine/tqc_stream_engine.h"

#include <cstring>

TQCStreamEngine::TQCStreamEngine(int32_t newBlockSize, int32_t newChannels)
    : blockSize(newBlockSize), channels(newChannels), advance(newBlockSize), ringCapacity(0) {
    // Every member owns what it allocates, so a failure part-way releases
    // what was built before it.
    analysisBuffers.init(blockSize, channels, 0);
    repairBuffers.init(blockSize, channels, 0);
    crackleDetector.init(blockSize, channels);
    ringCapacity = blockSize * channels * static_cast<int32_t>(sizeof(float)) * 4;
    splitter = std::make_unique<TQCChannelSplitter>(blockSize, channels);
    inputRing = std::make_unique<TQCRingBuffer>(ringCapacity);
    outputRing = std::make_unique<TQCRingBuffer>(ringCapacity);
    // merge() may write a whole carry store (up to one block) of frames.
    scratch = std::make_unique<float[]>(static_cast<size_t>(blockSize) * channels);
    reset();
}

// A restart begins a new stream: the frames still held from the stopped one
// (queued input, undelivered output, the windows' unemitted tail and the
// carry) belong to that stream and are dropped, so the delay is blockSize
// again, exactly what the record announces.
bool TQCStreamEngine::reset() {
    inputRing->clear();
    outputRing->clear();
    analysisBuffers.clearSamples();
    repairBuffers.clearSamples();
    splitter->dropCarry();
    advance = blockSize;
    const int32_t blockBytes = blockSize * frameBytes();
    std::memset(scratch.get(), 0, static_cast<size_t>(blockBytes));
    return inputRing->write(scratch.get(), blockBytes);
}

bool TQCStreamEngine::process(int32_t byteCount, const float* input, float* output) {
    // A partial frame would shift the channel alignment of both rings for
    // good, and a negative count would pass every size check.
    const bool wellFormed = frameBytes() > 0 && byteCount >= 0 && byteCount % frameBytes() == 0 &&
                            (byteCount == 0 || (input != nullptr && output != nullptr));
    if (!wellFormed || !inputRing->write(input, byteCount)) {
        if (byteCount > 0 && output != nullptr) std::memset(output, 0, static_cast<size_t>(byteCount));
        return false;
    }
    while (outputRing->fillBytes() < byteCount) {
        if (!runCycle()) {
            std::memset(output, 0, static_cast<size_t>(byteCount));
            return false;
        }
    }
    return outputRing->read(output, byteCount);
}

bool TQCStreamEngine::runCycle() {
    ++cycleCount;
    const int32_t bytes = advance * frameBytes();
    if (!inputRing->read(scratch.get(), bytes)) return false;
    splitter->split(scratch.get(), analysisBuffers, advance);
    const int32_t newFrames = advance;
    advance = blockSize;
    int32_t firstCount = 0;
    int32_t secondCount = 0;
    for (int32_t c = 0; c < channels; ++c) {
        int32_t count =
            crackleDetector.processBlock(analysisBuffers.windows[c], repairBuffers.windows[c], newFrames);
        // Fewer than one frame per cycle could never finish a call.
        if (count < 1) count = 1;
        if (count > blockSize) count = blockSize;
        if (c == 0) firstCount = count;
        if (c == 1) secondCount = count;
        if (count < advance) advance = count;
    }
    int32_t newCarry = 0;
    int32_t newChannel = 0;
    if (channels == 2) {
        if (secondCount < firstCount) {
            newCarry = firstCount - secondCount;
            newChannel = 0;
        } else if (secondCount > firstCount) {
            newCarry = secondCount - firstCount;
            newChannel = 1;
        }
    }
    splitter->merge(scratch.get(), repairBuffers, advance, newCarry, newChannel);
    return outputRing->write(scratch.get(), advance * frameBytes());
}
