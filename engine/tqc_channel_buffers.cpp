#include "engine/tqc_channel_buffers.h"

#include <algorithm>
#include <cstddef>

void TQCChannelBuffers::init(int32_t newBlockSize, int32_t newChannels, int32_t newHistory) {
    release();
    if (newHistory == 0) newHistory = newBlockSize;
    blockSize = newBlockSize;
    history = newHistory;
    channels = newChannels;
    try {
        const std::size_t areaFloats =
            static_cast<std::size_t>(history) + 2 * static_cast<std::size_t>(blockSize);
        storage.assign(static_cast<std::size_t>(channels), std::vector<float>(areaFloats, 0.0f));
        windows.resize(static_cast<std::size_t>(channels));
        for (std::size_t c = 0; c < windows.size(); ++c) windows[c] = storage[c].data() + history;
    } catch (...) {
        release();
        throw;
    }
}

void TQCChannelBuffers::clearSamples() {
    for (auto& area : storage) std::fill(area.begin(), area.end(), 0.0f);
}

void TQCChannelBuffers::release() {
    // Swapping with empty vectors returns the memory now, not at destruction.
    std::vector<std::vector<float>>().swap(storage);
    std::vector<float*>().swap(windows);
}
