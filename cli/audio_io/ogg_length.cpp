#include "audio_io/ogg_length.h"

#include <array>
#include <cstring>
#include <vector>

namespace {

// The Ogg page checksum: CRC-32, polynomial 0x04C11DB7, not reflected, over
// the page with its checksum field zero.
const std::array<std::uint32_t, 256>& crcTable() {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t r = i << 24;
            for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) != 0 ? r << 1 ^ 0x04C11DB7u : r << 1;
            t[i] = r;
        }
        return t;
    }();
    return table;
}

std::uint32_t pageCrc(const unsigned char* page, std::size_t bytes) {
    const auto& table = crcTable();
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        const unsigned char byte = i >= 22 && i < 26 ? 0 : page[i];
        crc = crc << 8 ^ table[(crc >> 24 ^ byte) & 0xFF];
    }
    return crc;
}

std::string at(std::uint64_t offset) { return "Ogg page at byte " + std::to_string(offset); }

}  // namespace

AnnouncedLength oggLength(ByteReader& in) {
    AnnouncedLength length;
    std::vector<unsigned char> page(27 + 255 + 255 * 255);
    std::uint64_t offset = 0;
    std::uint32_t serial = 0, nextSequence = 0;
    bool first = true, ended = false;
    std::uint64_t preSkip = 0;
    std::int64_t granule = -1;
    while (offset < in.size()) {
        if (!in.readAt(offset, page.data(), 27) || std::memcmp(page.data(), "OggS", 4) != 0) {
            // Bytes after the end of the stream are no audio; before it they are damage.
            if (!ended) length.damage = "bytes at " + std::to_string(offset) + " are not an Ogg page";
            break;
        }
        const std::size_t segments = page[26];
        std::size_t body = 0;
        if (!in.readAt(offset + 27, page.data() + 27, segments)) {
            length.damage = at(offset) + " is cut short";
            break;
        }
        for (std::size_t i = 0; i < segments; ++i) body += page[27 + i];
        const std::size_t bytes = 27 + segments + body;
        if (!in.readAt(offset + 27 + segments, page.data() + 27 + segments, body)) {
            length.damage = at(offset) + " is cut short";
            break;
        }
        if (pageCrc(page.data(), bytes) != static_cast<std::uint32_t>(littleEndian(page.data() + 22, 4))) {
            length.damage = at(offset) + " fails its checksum";
            break;
        }
        const std::uint32_t pageSerial = static_cast<std::uint32_t>(littleEndian(page.data() + 14, 4));
        const std::uint32_t sequence = static_cast<std::uint32_t>(littleEndian(page.data() + 18, 4));
        const unsigned char* packet = page.data() + 27 + segments;
        if (first) {
            first = false;
            serial = pageSerial;
            if (body >= 12 && std::memcmp(packet, "OpusHead", 8) == 0) {
                length.opusUnits = true;
                preSkip = littleEndian(packet + 10, 2);
            } else if (!(body >= 7 && std::memcmp(packet, "\x01vorbis", 7) == 0)) {
                return {};  // not a codec this reads (FLAC in Ogg, Speex): nothing announced
            }
        }
        if (pageSerial == serial && !ended) {
            if (sequence != nextSequence) {
                length.damage = at(offset) + " is out of sequence (pages are missing)";
                break;
            }
            ++nextSequence;
            const std::int64_t pageGranule = static_cast<std::int64_t>(littleEndian(page.data() + 6, 8));
            if (pageGranule != -1) granule = pageGranule;
            ended = (page[5] & 0x04) != 0;
        }
        offset += bytes;
    }
    if (length.damage.empty() && !ended) length.damage = "the stream ends before its last Ogg page";
    if (granule >= 0) {
        const auto skipped = static_cast<std::int64_t>(length.opusUnits ? preSkip : 0);
        length.frames = granule > skipped ? granule - skipped : 0;
    }
    return length;
}
