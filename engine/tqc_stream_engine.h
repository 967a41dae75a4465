#pragma once

#include <cstdint>
#include <memory>

#include "engine/tqc_channel_buffers.h"
#include "engine/tqc_channel_splitter.h"
#include "engine/tqc_crackle_detector.h"
#include "engine/tqc_ring_buffer.h"

// Turns interleaved float frames (channel 0 first), delivered in slices of any
// length, into repaired frames of the same length delayed by exactly
// blockSize frames (2048 in the plug-in).
//
// Lengths are byte counts: frames * channels * 4. process() accepts a whole,
// non-negative number of frames; up to two blocks per call always fit (the
// plug-in passes at most one). Anything else is refused: output (when there is any) is
// zeroed, false is returned and the stream is left exactly as it was.
//
// Delay: exactly blockSize frames, from construction and from every reset on.
// A reset starts the stream afresh: the frames held from before it are
// dropped, and the output is what a new engine would give for the new input.
//
// Threads: process() and reset() on the audio thread (never overlapping);
// detector().setSensitivity / setClickGap from any thread. Everything, the
// transform tables included, is allocated in the constructor; process() and
// reset() allocate nothing and take no lock.
class TQCStreamEngine {
public:
    // blockSize: a power of two >= 16; channels >= 1. Throws std::bad_alloc.
    TQCStreamEngine(int32_t blockSize, int32_t channels);

    TQCStreamEngine(const TQCStreamEngine&) = delete;
    TQCStreamEngine& operator=(const TQCStreamEngine&) = delete;

    // input may equal output; it is queued before output is written.
    bool process(int32_t byteCount, const float* input, float* output);
    // Drops every frame held (queues, windows, carry) and primes one block of
    // silence; the detector keeps its parameters. Allocates nothing.
    bool reset();

    // The one detector, used for every channel; its owner sets its parameters.
    TQCCrackleDetector& detector() { return crackleDetector; }

    int32_t framesPerNextCycle() const { return advance; }
    // Processing cycles run since construction (for diagnostics and benchmarks).
    int64_t cyclesRun() const { return cycleCount; }
    int32_t frameBytes() const { return channels * static_cast<int32_t>(sizeof(float)); }

private:
    bool runCycle();

    std::unique_ptr<TQCRingBuffer> inputRing;
    std::unique_ptr<TQCRingBuffer> outputRing;
    TQCChannelBuffers analysisBuffers;
    TQCChannelBuffers repairBuffers;
    std::unique_ptr<TQCChannelSplitter> splitter;
    TQCCrackleDetector crackleDetector;
    int32_t blockSize;
    int32_t channels;
    int32_t advance;
    std::unique_ptr<float[]> scratch;
    int32_t ringCapacity;
    int64_t cycleCount = 0;
};
