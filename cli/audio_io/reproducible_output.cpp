#include "audio_io/reproducible_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

namespace sarnovellite::cli {

namespace {

// libsndfile writes the PEAK chunk among the header chunks before the
// samples; these bytes hold every header it writes.
constexpr std::size_t kHeaderBytes = 1 << 16;

std::uint32_t sizeField(const unsigned char* p, bool bigEndian) {
    return bigEndian
               ? std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3]
               : std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}

// The offset of the PEAK chunk's time stamp (after its id, size and version
// fields), or 0 when the header holds none.
std::size_t peakTimestampOffset(const unsigned char* header, std::size_t bytes) {
    if (bytes < 12) return 0;
    const bool riff = (std::memcmp(header, "RIFF", 4) == 0 || std::memcmp(header, "RF64", 4) == 0) &&
                      std::memcmp(header + 8, "WAVE", 4) == 0;
    const bool aiff = std::memcmp(header, "FORM", 4) == 0 &&
                      (std::memcmp(header + 8, "AIFF", 4) == 0 || std::memcmp(header + 8, "AIFC", 4) == 0);
    if (!riff && !aiff) return 0;
    for (std::size_t at = 12; at + 16 <= bytes;) {
        if (std::memcmp(header + at, "PEAK", 4) == 0) return at + 12;
        if (std::memcmp(header + at, riff ? "data" : "SSND", 4) == 0) return 0;
        const std::uint64_t size = sizeField(header + at + 4, aiff);
        at += 8 + size + (size & 1);
    }
    return 0;
}

}  // namespace

bool clearPeakTimestamp(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    unsigned char header[kHeaderBytes];
    const ssize_t got = pread(fd, header, sizeof header, 0);
    bool ok = got >= 0;
    const std::size_t at = ok ? peakTimestampOffset(header, static_cast<std::size_t>(got)) : 0;
    if (at != 0) {
        const unsigned char zero[4] = {0, 0, 0, 0};
        ok = pwrite(fd, zero, sizeof zero, static_cast<off_t>(at)) == 4;
    }
    return close(fd) == 0 && ok;
}

}  // namespace sarnovellite::cli
