#include "engine/tqc_ring_buffer.h"

#include <cstring>

TQCRingBuffer::TQCRingBuffer(int32_t capacityInBytes)
    : capacity(capacityInBytes > 0 ? capacityInBytes : 0),
      storage(std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(capacity > 0 ? capacity : 1))),
      writePos(0),
      readPos(0),
      fill(0) {
    clear();
}

void TQCRingBuffer::clear() {
    std::memset(storage.get(), 0, static_cast<size_t>(capacity));
    writePos = 0;
    readPos = 0;
    fill = 0;
}

bool TQCRingBuffer::write(const void* data, int32_t byteCount) {
    if (byteCount < 0 || byteCount > capacity - fill) return false;
    if (byteCount == 0) return true;
    const auto* src = static_cast<const uint8_t*>(data);
    if (writePos + byteCount < capacity) {
        std::memcpy(storage.get() + writePos, src, static_cast<size_t>(byteCount));
        writePos += byteCount;
    } else {
        // A write ending exactly at the end of the storage lands here and
        // leaves writePos at 0, never at capacity.
        const int32_t room = capacity - writePos;
        std::memcpy(storage.get() + writePos, src, static_cast<size_t>(room));
        std::memcpy(storage.get(), src + room, static_cast<size_t>(byteCount - room));
        writePos = byteCount - room;
    }
    fill += byteCount;
    return true;
}

bool TQCRingBuffer::read(void* data, int32_t byteCount) {
    if (byteCount < 0 || byteCount > capacity || byteCount > fill) return false;
    if (byteCount == 0) return true;
    auto* dst = static_cast<uint8_t*>(data);
    if (readPos + byteCount < capacity) {
        std::memcpy(dst, storage.get() + readPos, static_cast<size_t>(byteCount));
        readPos += byteCount;
    } else {
        const int32_t room = capacity - readPos;
        std::memcpy(dst, storage.get() + readPos, static_cast<size_t>(room));
        std::memcpy(dst + room, storage.get(), static_cast<size_t>(byteCount - room));
        readPos = byteCount - room;
    }
    fill -= byteCount;
    return true;
}
