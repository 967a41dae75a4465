#pragma once

#include <cstdint>
#include <memory>

// Fixed-capacity FIFO of bytes with wrap-around.
//
// Every transfer is all-or-nothing: a call either moves all byteCount bytes and
// returns true, or moves nothing, changes nothing and returns false. A write is
// refused when it does not fit into the free space (capacity - fill), so no
// unread byte is ever overwritten; negative counts are refused as well.
//
// Storage is allocated (and zeroed) once at construction; transfers allocate
// nothing and are at most two block copies. Not thread-safe: the owner
// serialises all calls.
class TQCRingBuffer {
public:
    explicit TQCRingBuffer(int32_t capacity);
    virtual ~TQCRingBuffer() = default;

    TQCRingBuffer(const TQCRingBuffer&) = delete;
    TQCRingBuffer& operator=(const TQCRingBuffer&) = delete;

    // Zeroes the storage and empties the queue; capacity and storage stay.
    void clear();

    // Appends byteCount bytes from data.
    bool write(const void* data, int32_t byteCount);

    // Removes the oldest byteCount bytes into data.
    bool read(void* data, int32_t byteCount);

    int32_t capacityBytes() const { return capacity; }
    int32_t fillBytes() const { return fill; }  // written and not yet read
    int32_t freeBytes() const { return capacity - fill; }
    int32_t writePosition() const { return writePos; }  // always < capacity (or 0)
    int32_t readPosition() const { return readPos; }

private:
    int32_t capacity;
    std::unique_ptr<uint8_t[]> storage;
    int32_t writePos;
    int32_t readPos;
    int32_t fill;
};
