#include "audio_io/standard_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

int bitsOf(int subtype) {
    switch (subtype) {
        case SF_FORMAT_PCM_U8:
            return 8;
        case SF_FORMAT_PCM_16:
            return 16;
        case SF_FORMAT_PCM_24:
            return 24;
        case SF_FORMAT_PCM_32:
        case SF_FORMAT_FLOAT:
            return 32;
        case SF_FORMAT_DOUBLE:
            return 64;
        default:
            return 0;
    }
}

void putLittle(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

int standardOutputFormat(int inputFormat) {
    if ((inputFormat & SF_FORMAT_TYPEMASK) == SF_FORMAT_AU) return inputFormat;
    const int subtype = inputFormat & SF_FORMAT_SUBMASK;
    return SF_FORMAT_WAV | (bitsOf(subtype) != 0 ? subtype : SF_FORMAT_FLOAT);
}

SNDFILE* openStreamOutput(int fd, const SF_INFO& info, std::string& reason) {
    SF_INFO streamed = info;
    if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV) {
        const int subtype = info.format & SF_FORMAT_SUBMASK;
        const auto bits = static_cast<std::uint32_t>(bitsOf(subtype));
        const auto align = static_cast<std::uint32_t>(info.channels) * bits / 8;
        const bool isFloat = subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
        std::string header = "RIFF";
        putLittle(header, 0xFFFFFFFFu, 4);
        header += "WAVEfmt ";
        putLittle(header, 16, 4);
        putLittle(header, isFloat ? 3 : 1, 2);
        putLittle(header, static_cast<std::uint32_t>(info.channels), 2);
        putLittle(header, static_cast<std::uint32_t>(info.samplerate), 4);
        putLittle(header, static_cast<std::uint32_t>(info.samplerate) * align, 4);
        putLittle(header, align, 2);
        putLittle(header, bits, 2);
        header += "data";
        putLittle(header, 0xFFFFFFFFu, 4);
        errno = 0;
        if (!writeAll(fd, header)) {
            reason = errno != 0 ? std::strerror(errno) : "the stream took no bytes";
            return nullptr;
        }
        streamed.format = SF_FORMAT_RAW | subtype | SF_ENDIAN_LITTLE;
    }
    SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &streamed, SF_FALSE);
    if (file == nullptr) reason = sf_strerror(nullptr);
    return file;
}
