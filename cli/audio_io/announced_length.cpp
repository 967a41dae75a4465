#include "audio_io/announced_length.h"

#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

std::uint64_t littleEndian(const unsigned char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
    return value;
}

std::uint64_t bigEndian(const unsigned char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | bytes[i];
    return value;
}

// Walks the chunks of a RIFF/RF64 file: data bytes / block align. The data
// size is 0xFFFFFFFF in RF64 (the real one is in ds64) and in WAV streamed
// to a pipe, where it means "unknown".
std::int64_t riffFrames(std::ifstream& file, bool rf64) {
    std::uint64_t blockAlign = 0, ds64Data = 0;
    unsigned char head[8];
    file.seekg(12);
    while (file.read(reinterpret_cast<char*>(head), 8)) {
        const std::uint64_t size = littleEndian(head + 4, 4);
        const std::streamoff next =
            static_cast<std::streamoff>(file.tellg()) + static_cast<std::streamoff>(size + (size & 1));
        unsigned char body[28] = {};
        if (std::memcmp(head, "fmt ", 4) == 0 && file.read(reinterpret_cast<char*>(body), 16)) {
            blockAlign = littleEndian(body + 12, 2);
        } else if (std::memcmp(head, "ds64", 4) == 0 && file.read(reinterpret_cast<char*>(body), 16)) {
            ds64Data = littleEndian(body + 8, 8);
        } else if (std::memcmp(head, "data", 4) == 0) {
            const std::uint64_t bytes = rf64 && size == 0xFFFFFFFFu ? ds64Data : size;
            if (blockAlign == 0 || (!rf64 && size == 0xFFFFFFFFu)) return -1;
            return static_cast<std::int64_t>(bytes / blockAlign);
        }
        file.clear();
        file.seekg(next);
    }
    return -1;
}

std::int64_t aiffFrames(std::ifstream& file) {
    unsigned char head[8];
    file.seekg(12);
    while (file.read(reinterpret_cast<char*>(head), 8)) {
        const std::uint64_t size = bigEndian(head + 4, 4);
        const std::streamoff next =
            static_cast<std::streamoff>(file.tellg()) + static_cast<std::streamoff>(size + (size & 1));
        unsigned char body[6];
        if (std::memcmp(head, "COMM", 4) == 0 && file.read(reinterpret_cast<char*>(body), 6)) {
            return static_cast<std::int64_t>(bigEndian(body + 2, 4));
        }
        file.seekg(next);
    }
    return -1;
}

}  // namespace

std::int64_t announcedFrames(const std::string& path, const SF_INFO& info) {
    std::error_code ec;
    if (path == "-" || !std::filesystem::is_regular_file(path, ec)) return -1;
    const int major = info.format & SF_FORMAT_TYPEMASK;
    std::ifstream file(path, std::ios::binary);
    char magic[12] = {};
    if (!file.read(magic, 12)) return -1;
    if ((major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX) && std::memcmp(magic, "RIFF", 4) == 0) {
        return riffFrames(file, false);
    }
    if (major == SF_FORMAT_RF64 && std::memcmp(magic, "RF64", 4) == 0) return riffFrames(file, true);
    if (major == SF_FORMAT_AIFF && std::memcmp(magic, "FORM", 4) == 0) return aiffFrames(file);
    return info.frames >= 0 && info.frames < SF_COUNT_MAX ? info.frames : -1;
}
