// MD5 (RFC 1321), for checking the checksum a FLAC stream stores of its
// samples. Not for security: FLAC chose it for detecting damage, which is
// all it is used for here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

class Md5 {
public:
    Md5();
    void update(const unsigned char* bytes, std::size_t count);
    // The digest of everything passed to update; call once.
    std::array<unsigned char, 16> finish();

private:
    void block(const unsigned char* bytes);

    std::uint32_t state_[4];
    std::uint64_t bytes_ = 0;
    unsigned char pending_[64];
    std::size_t pendingBytes_ = 0;
};
