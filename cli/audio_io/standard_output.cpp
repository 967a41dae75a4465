#include "audio_io/standard_output.h"

#include <unistd.h>

#include <cstdint>
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

bool writeAll(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
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

SNDFILE* openStandardOutput(const SF_INFO& info) {
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
        if (!writeAll(header)) return nullptr;
        streamed.format = SF_FORMAT_RAW | subtype | SF_ENDIAN_LITTLE;
    }
    return sf_open("-", SFM_WRITE, &streamed);
}
