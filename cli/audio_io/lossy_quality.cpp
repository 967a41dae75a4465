#include "audio_io/lossy_quality.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

int subtypeOf(int format) { return format & SF_FORMAT_SUBMASK; }

// The file's average bitrate in kb/s, or 0 when it cannot be known.
double averageKbps(const std::string& path, const SF_INFO& info) {
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(path, ec);
    if (ec || info.frames <= 0 || info.frames >= SF_COUNT_MAX || info.samplerate <= 0) return 0.0;
    return static_cast<double>(bytes) * 8.0 / (static_cast<double>(info.frames) / info.samplerate) / 1000.0;
}

// bitrate_nominal of the first Vorbis identification header in `bytes`.
std::int32_t vorbisNominalBitrate(const std::string& bytes) {
    const std::size_t at = bytes.find("\x01vorbis");
    if (at == std::string::npos || bytes.size() < at + 24) return 0;
    std::int32_t nominal = 0;
    std::memcpy(&nominal, bytes.data() + at + 20, sizeof nominal);  // little-endian, as this host
    return nominal;
}

// libsndfile writes through these into a string: the headers of an empty
// Vorbis stream say which nominal bitrate a compression level gives.
struct MemoryFile {
    std::string bytes;
    sf_count_t position = 0;
};
SF_VIRTUAL_IO memoryIo() {
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* m) -> sf_count_t {
        return static_cast<sf_count_t>(static_cast<MemoryFile*>(m)->bytes.size());
    };
    io.seek = [](sf_count_t offset, int whence, void* m) -> sf_count_t {
        auto* file = static_cast<MemoryFile*>(m);
        const sf_count_t base = whence == SEEK_SET   ? 0
                                : whence == SEEK_CUR ? file->position
                                                     : static_cast<sf_count_t>(file->bytes.size());
        return file->position = std::max<sf_count_t>(0, base + offset);
    };
    io.read = [](void*, sf_count_t, void*) -> sf_count_t { return 0; };
    io.write = [](const void* data, sf_count_t count, void* m) -> sf_count_t {
        auto* file = static_cast<MemoryFile*>(m);
        const auto end = static_cast<std::size_t>(file->position + count);
        if (file->bytes.size() < end) file->bytes.resize(end);
        std::memcpy(file->bytes.data() + file->position, data, static_cast<std::size_t>(count));
        file->position += count;
        return count;
    };
    io.tell = [](void* m) -> sf_count_t { return static_cast<MemoryFile*>(m)->position; };
    return io;
}

std::int32_t nominalBitrateAtLevel(const SF_INFO& outInfo, double level) {
    SF_INFO info = outInfo;
    MemoryFile memory;
    SF_VIRTUAL_IO io = memoryIo();
    SNDFILE* probe = sf_open_virtual(&io, SFM_WRITE, &info, &memory);
    if (probe == nullptr) return 0;
    sf_command(probe, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
    sf_close(probe);
    return vorbisNominalBitrate(memory.bytes);
}

// A Vorbis input's nominal bitrate, else its average one, in bits/s.
double inputBitrate(const std::string& path, const SF_INFO& info) {
    if (subtypeOf(info.format) == SF_FORMAT_VORBIS) {
        std::ifstream in(path, std::ios::binary);
        std::string head(8192, '\0');
        in.read(head.data(), static_cast<std::streamsize>(head.size()));
        head.resize(static_cast<std::size_t>(in.gcount()));
        if (vorbisNominalBitrate(head) > 0) return vorbisNominalBitrate(head);
    }
    return averageKbps(path, info) * 1000.0;
}

// The level (in steps of 0.05) whose nominal bitrate is nearest `wanted`.
double vorbisLevelFor(const SF_INFO& outInfo, double wanted) {
    double best = -1.0, bestDistance = 0.0;
    for (int step = 0; step <= 20; ++step) {
        const double level = step / 20.0;
        const double distance =
            std::fabs(std::log(static_cast<double>(nominalBitrateAtLevel(outInfo, level)) / wanted));
        if (best < 0.0 || distance < bestDistance) best = level, bestDistance = distance;
    }
    return best;
}

// Measured on libsndfile 1.2: Opus and average-bitrate MP3 bitrates fall
// linearly with the compression level.
double linearLevelFor(int subtype, int channels, double kbps) {
    const double level =
        subtype == SF_FORMAT_OPUS ? (237.0 - kbps / channels) / 231.0 : (320.0 - kbps) / 288.0;
    return std::clamp(level, 0.0, 1.0);
}

}  // namespace

bool isLossyEncoding(int format) {
    const int subtype = subtypeOf(format);
    return subtype == SF_FORMAT_VORBIS || subtype == SF_FORMAT_OPUS || subtype == SF_FORMAT_MPEG_LAYER_I ||
           subtype == SF_FORMAT_MPEG_LAYER_II || subtype == SF_FORMAT_MPEG_LAYER_III;
}

void chooseLossyQuality(SNDFILE* out, const SF_INFO& outInfo, const std::string& inputPath,
                        const SF_INFO& inInfo, int quality) {
    const int subtype = subtypeOf(outInfo.format);
    if (!isLossyEncoding(outInfo.format)) return;
    double level = -1.0;
    if (quality >= 0) {
        level = 1.0 - quality / 10.0;
    } else if (isLossyEncoding(inInfo.format)) {
        const double bitrate = inputBitrate(inputPath, inInfo);
        if (bitrate <= 0.0) return;
        level = subtype == SF_FORMAT_VORBIS ? vorbisLevelFor(outInfo, bitrate)
                                            : linearLevelFor(subtype, outInfo.channels, bitrate / 1000.0);
    }
    if (level < 0.0) return;
    if (subtype == SF_FORMAT_MPEG_LAYER_III) {
        int mode = SF_BITRATE_MODE_AVERAGE;
        sf_command(out, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
    }
    sf_command(out, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
}
