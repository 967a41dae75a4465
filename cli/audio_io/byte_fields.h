// Reading the fixed-size fields of file headers from untrusted bytes.
//
// A ByteReader reads at absolute offsets of a stream whose real size is
// known, and refuses any read that would reach past it, so a claimed size in
// a header can never make a parser read (or allocate) beyond the file.
#pragma once

#include <cctype>
#include <cstdint>
#include <istream>

inline std::uint64_t littleEndian(const unsigned char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
    return value;
}

inline std::uint64_t bigEndian(const unsigned char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | bytes[i];
    return value;
}

// Four printable ASCII characters, as RIFF and AIFF chunk names are (spaces
// only after the first).
inline bool isChunkId(const unsigned char* id) {
    if (id[0] == ' ') return false;
    for (int i = 0; i < 4; ++i) {
        if (id[i] < 0x20 || id[i] > 0x7E) return false;
    }
    return true;
}

class ByteReader {
public:
    ByteReader(std::istream& stream, std::uint64_t size) : stream_(stream), size_(size) {}
    std::uint64_t size() const { return size_; }
    // Reads `count` bytes at `at`; false (nothing read) when they are not all
    // within the stream.
    bool readAt(std::uint64_t at, unsigned char* out, std::uint64_t count) {
        if (at > size_ || count > size_ - at) return false;
        stream_.clear();
        stream_.seekg(static_cast<std::streamoff>(at));
        return static_cast<bool>(
            stream_.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(count)));
    }

private:
    std::istream& stream_;
    std::uint64_t size_;
};
