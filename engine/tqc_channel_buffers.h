#pragma once

#include <cstdint>
#include <vector>

// One contiguous float area per channel with a window pointer placed `history`
// samples into it: positions -history..-1 (relative to the window pointer) are
// the history, 0..blockSize-1 the window, and a further blockSize floats are
// spare and never touched.
//
// Plain record owned by value: init() allocates, release() frees early (safe
// on a record that was never or only partly initialised, and more than once);
// whatever is still held is freed with the record. Every sample starts at 0.0,
// so history that no frame has reached yet reads as silence.
struct TQCChannelBuffers {
    std::vector<std::vector<float>> storage;  // one area per channel
    std::vector<float*> windows;              // storage[c].data() + history
    int32_t blockSize = 0;
    int32_t history = 0;
    int32_t channels = 0;

    // history 0 means "history = blockSize". Throws std::bad_alloc on failure,
    // leaving the record released.
    void init(int32_t blockSize, int32_t channels, int32_t history);
    void release();
    // Sets every sample (history, window and spare) back to 0.0.
    void clearSamples();
};
