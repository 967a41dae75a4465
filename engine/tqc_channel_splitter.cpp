#include "engine/tqc_channel_splitter.h"

#include <cstring>

TQCChannelSplitter::TQCChannelSplitter(int32_t newBlockSize, int32_t newChannels)
    : blockSize(newBlockSize), channels(newChannels), carry(0), carryChannel(0) {}

int32_t TQCChannelSplitter::split(const float* interleaved, TQCChannelBuffers& buffers, int32_t frames) {
    if (frames > blockSize || frames < 0) return 0;
    const int32_t h = buffers.history;
    const int32_t n = blockSize;
    for (int32_t c = 0; c < channels; ++c) {
        float* w = buffers.windows[c];
        std::memmove(w - h, w - h + frames, static_cast<size_t>(h + n - frames) * sizeof(float));
    }
    for (int32_t c = 0; c < channels; ++c) {
        float* end = buffers.windows[c] + n - frames;
        const float* source = interleaved + c;
        // Stereo, the common case, with its stride known runs on vectors.
        if (channels == 2) {
            for (int32_t f = 0; f < frames; ++f) end[f] = source[2 * f];
        } else {
            for (int32_t f = 0; f < frames; ++f) end[f] = source[f * channels];
        }
    }
    return frames;
}

int32_t TQCChannelSplitter::merge(float* interleaved, TQCChannelBuffers& buffers, int32_t frames,
                                  int32_t newCarry, int32_t newChannel) {
    if (frames > blockSize || frames < 0) return 0;
    for (int32_t c = 0; c < channels; ++c) {
        const float* window = buffers.windows[c];
        float* target = interleaved + c;
        if (channels == 2) {
            for (int32_t f = 0; f < frames; ++f) target[2 * f] = window[f];
        } else {
            for (int32_t f = 0; f < frames; ++f) target[f * channels] = window[f];
        }
    }
    // A carry must fit the store before the window and be read from inside the
    // area after it; anything else is interleaved without carrying.
    if (channels != 2 || buffers.history < newCarry || newCarry < 0 || newChannel < 0 || newChannel > 1 ||
        frames + newCarry > 2 * buffers.blockSize) {
        return frames;
    }
    // The previous carry goes in before the store is overwritten by the new one.
    const float* store = buffers.windows[carryChannel];
    for (int32_t k = 0; k < carry; ++k) {
        interleaved[2 * k + carryChannel] = store[k - carry];
    }
    float* lead = buffers.windows[newChannel];
    std::memmove(lead - newCarry, lead + frames, static_cast<size_t>(newCarry) * sizeof(float));
    carry = newCarry;
    carryChannel = newChannel;
    return frames;
}
