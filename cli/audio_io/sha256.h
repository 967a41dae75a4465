// SHA-256 (FIPS 180-4), for the fixity records of --checksums: the digest of
// a byte stream fed in pieces of any size. Written here rather than taken
// from a crypto library: it is a page of code, checked against the standard's
// test vectors and sha256sum, and the tool needs nothing else of one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sarnovellite::cli {

class Sha256 {
public:
    Sha256();
    void update(const void* data, std::size_t bytes);
    // The digest as 64 lower-case hex digits; the object is spent afterwards.
    std::string hexDigest();

private:
    void compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> buffer_{};
    std::size_t buffered_ = 0;
    std::uint64_t totalBytes_ = 0;
};

// The digest of a whole file read from its start; empty when it cannot be read.
std::string sha256OfFile(const std::string& path);

}  // namespace sarnovellite::cli
