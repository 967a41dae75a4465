#include "audio_io/wav_chunks.h"

#include <cstring>

#include "audio_io/byte_fields.h"

namespace {

std::string describe(const unsigned char* head, std::uint64_t at, std::uint64_t claimed,
                     std::uint64_t present) {
    std::string name = isChunkId(head) ? std::string(reinterpret_cast<const char*>(head), 4) : std::string();
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (name.empty()) return "bytes at " + std::to_string(at) + " that are no chunk";
    return "a " + name + " chunk at byte " + std::to_string(at) + " cut short (" + std::to_string(claimed) +
           " bytes claimed, " + std::to_string(present) + " present)";
}

}  // namespace

WavChunkList listWavChunks(std::istream& file, std::uint64_t fileSize) {
    WavChunkList list;
    ByteReader in(file, fileSize);
    unsigned char magic[12];
    if (!in.readAt(0, magic, 12) || std::memcmp(magic + 8, "WAVE", 4) != 0) return list;
    const bool rf64 = std::memcmp(magic, "RF64", 4) == 0;
    if (!rf64 && std::memcmp(magic, "RIFF", 4) != 0) return list;
    std::uint64_t ds64Data = 0;
    unsigned char head[8];
    std::uint64_t at = 12;
    bool afterEmptyData = false;  // a data size of 0 may mean "never filled in"
    while (at < fileSize) {
        const bool wellFormed = in.readAt(at, head, 8) && isChunkId(head);
        // Audio after a data size left at 0 is read as audio (see
        // announced_length.h), not taken for a chunk.
        if (afterEmptyData && (!wellFormed || littleEndian(head + 4, 4) > fileSize - at - 8)) return list;
        if (!wellFormed) {
            list.malformed = describe(head, at, 0, 0);
            if (fileSize - at < 8) list.malformed = "bytes at " + std::to_string(at) + " that are no chunk";
            return list;
        }
        std::uint64_t size = littleEndian(head + 4, 4);
        const bool data = std::memcmp(head, "data", 4) == 0;
        if (rf64 && size == 0xFFFFFFFFu && data) size = ds64Data;
        // The size of a WAV streamed to a pipe: the data runs to the end.
        if (!rf64 && size == 0xFFFFFFFFu && data) return list;
        afterEmptyData = data && size == 0;
        const std::uint64_t present = fileSize - at - 8;
        if (size > present) {
            // A data chunk cut short is damage the reading reports; no chunk
            // can follow it.
            if (!data) list.malformed = describe(head, at, size, present);
            return list;
        }
        if (rf64 && std::memcmp(head, "ds64", 4) == 0 && size >= 16) {
            unsigned char body[16];
            if (in.readAt(at + 8, body, 16)) ds64Data = littleEndian(body + 8, 8);
        }
        list.chunks.push_back({std::string(reinterpret_cast<const char*>(head), 4), at + 8, size});
        // A pad byte missing at the very end of the file is a common slip, not damage.
        at += 8 + size + (size & 1);
    }
    return list;
}
