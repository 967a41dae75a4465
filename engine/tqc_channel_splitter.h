#pragma once

#include <cstdint>

#include "engine/tqc_channel_buffers.h"

// Moves interleaved frames (channel 0 first) into per-channel windows and back.
//
// split() slides every window (with its history) on by `frames` samples and
// de-interleaves the new frames into the window ends. merge() interleaves the
// first `frames` samples of every output window and, for stereo, carries the
// leading channel's final-but-not-emitted samples into the next merge: they
// live in the output buffers at positions -carry..-1 before that channel's
// window, and replace that channel's first output samples next time.
//
// Both take N (blockSize) and C (channels) from the splitter, the history H
// from the buffers. frames outside 0..N returns 0 and changes nothing.
// merge() writes max(frames, carry) * C floats (carry <= H) into `interleaved`;
// the caller's block must hold that many. Audio thread only; no allocation.
class TQCChannelSplitter {
public:
    TQCChannelSplitter(int32_t blockSize, int32_t channels);

    void release() {}
    // Forgets the stored carry (a restarted stream has none).
    void dropCarry() {
        carry = 0;
        carryChannel = 0;
    }

    int32_t split(const float* interleaved, TQCChannelBuffers& buffers, int32_t frames);
    int32_t merge(float* interleaved, TQCChannelBuffers& buffers, int32_t frames, int32_t newCarry,
                  int32_t newChannel);

    int32_t carryCount() const { return carry; }
    int32_t carryChannelIndex() const { return carryChannel; }

private:
    int32_t blockSize;
    int32_t channels;
    int32_t carry;
    int32_t carryChannel;
};
