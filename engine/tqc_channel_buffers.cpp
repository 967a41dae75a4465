#include "engine/tqc_channel_buffers.h"

#include <algorithm>
#include <cstddef>
#include <new>

void TQCChannelBuffers::init(int32_t newBlockSize, int32_t newChannels, int32_t newHistory) {
    release();
    if (newHistory == 0) newHistory = newBlockSize;
    blockSize = newBlockSize;
    history = newHistory;
    channels = newChannels;
    try {
        storage = new float*[static_cast<std::size_t>(channels)]();
        windows = new float*[static_cast<std::size_t>(channels)]();
        const std::size_t areaFloats = static_cast<std::size_t>(history) + 2 * static_cast<std::size_t>(blockSize);
        for (int32_t c = 0; c < channels; ++c) {
            storage[c] = new float[areaFloats]();  // value-initialised: 0.0
            windows[c] = storage[c] + history;
        }
    } catch (...) {
        release();
        throw;
    }
}

void TQCChannelBuffers::clearSamples() {
    if (storage == nullptr) return;
    const std::size_t areaFloats = static_cast<std::size_t>(history) + 2 * static_cast<std::size_t>(blockSize);
    for (int32_t c = 0; c < channels; ++c) std::fill_n(storage[c], areaFloats, 0.0f);
}

void TQCChannelBuffers::release() {
    if (storage != nullptr) {
        for (int32_t c = 0; c < channels; ++c) delete[] storage[c];
    }
    delete[] storage;
    delete[] windows;
    storage = nullptr;
    windows = nullptr;
}
