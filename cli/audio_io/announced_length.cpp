#include "audio_io/announced_length.h"

#include <cstring>
#include <filesystem>
#include <fstream>

#include "audio_io/byte_fields.h"
#include "audio_io/ogg_length.h"

namespace {

// What a WAV or W64 fmt chunk says about the samples.
struct WaveFormat {
    std::uint64_t blockAlign = 0;
    bool uncompressed = false;         // PCM, float, A-law or mu-law: block align bytes per frame
    std::uint64_t framesPerBlock = 0;  // IMA and MS ADPCM: frames each block of block align bytes holds
};

// Compressed audio in blocks: the frames of the whole blocks in `bytes`
// (a last partial block may hold fewer). -1 when unknown.
std::int64_t blockFrames(const WaveFormat& format, std::uint64_t bytes) {
    if (format.blockAlign == 0 || format.framesPerBlock == 0) return -1;
    return static_cast<std::int64_t>(bytes / format.blockAlign * format.framesPerBlock);
}

WaveFormat parseWaveFormat(const unsigned char* body, std::uint64_t size) {
    WaveFormat format;
    if (size < 16) return format;
    unsigned tag = static_cast<unsigned>(littleEndian(body, 2));
    if (tag == 0xFFFE && size >= 26) tag = static_cast<unsigned>(littleEndian(body + 24, 2));
    format.blockAlign = littleEndian(body + 12, 2);
    format.uncompressed = tag == 1 || tag == 3 || tag == 6 || tag == 7;
    if ((tag == 0x11 || tag == 2) && size >= 20) format.framesPerBlock = littleEndian(body + 18, 2);
    return format;
}

// After a data chunk whose size field says 0: true when the rest of the
// file is chunks that fit it exactly, so the data is truly empty; audio
// would rarely read as such.
bool onlyChunksFollow(ByteReader& in, std::uint64_t at) {
    unsigned char head[8];
    while (at < in.size()) {
        if (!in.readAt(at, head, 8) || !isChunkId(head)) return false;
        const std::uint64_t size = littleEndian(head + 4, 4);
        at += 8 + size + (size & 1);
    }
    return at == in.size() || at == in.size() + 1;
}

// RIFF (WAV, WAVEX) and RF64: data bytes / block align from the data chunk
// (the size in ds64 for RF64), the fact chunk's count for compressed
// encodings.
AnnouncedLength riffLength(ByteReader& in, bool rf64) {
    AnnouncedLength length;
    WaveFormat format;
    std::uint64_t ds64Data = 0, factFrames = 0;
    bool hasFact = false;
    unsigned char head[8];
    for (std::uint64_t at = 12; in.readAt(at, head, 8);) {
        const std::uint64_t size = littleEndian(head + 4, 4);
        unsigned char body[40] = {};
        const std::uint64_t bodyBytes = std::min<std::uint64_t>(size, sizeof body);
        if (std::memcmp(head, "data", 4) != 0 && !in.readAt(at + 8, body, bodyBytes)) break;
        if (std::memcmp(head, "fmt ", 4) == 0) {
            format = parseWaveFormat(body, bodyBytes);
        } else if (std::memcmp(head, "ds64", 4) == 0 && bodyBytes >= 16) {
            ds64Data = littleEndian(body + 8, 8);
        } else if (std::memcmp(head, "fact", 4) == 0 && bodyBytes >= 4) {
            factFrames = littleEndian(body, 4);
            hasFact = true;
        } else if (std::memcmp(head, "data", 4) == 0) {
            const std::uint64_t dataAt = at + 8;
            std::uint64_t bytes = rf64 && size == 0xFFFFFFFFu ? ds64Data : size;
            const bool sizeUnknown =
                !rf64 && (size == 0xFFFFFFFFu || (size == 0 && !onlyChunksFollow(in, dataAt)));
            if (sizeUnknown) {
                bytes = in.size() - std::min(in.size(), dataAt);
                length.note = std::string("its header gives no data length (") +
                              (size == 0 ? "0" : "0xFFFFFFFF") + "), so it is read to the end of the file";
                if (size == 0) length.emptySizeFieldAt = static_cast<std::int64_t>(at + 4);
            }
            if (!format.uncompressed) {
                if (!sizeUnknown)
                    length.frames =
                        hasFact ? static_cast<std::int64_t>(factFrames) : blockFrames(format, bytes);
                return length;
            }
            if (format.blockAlign == 0) return length;
            length.frames = static_cast<std::int64_t>(bytes / format.blockAlign);
            length.bounds = true;
            return length;
        }
        at += 8 + size + (size & 1);
    }
    return length;
}

// AIFF and AIFC: the COMM chunk's frame count.
AnnouncedLength aiffLength(ByteReader& in) {
    AnnouncedLength length;
    unsigned char head[8];
    for (std::uint64_t at = 12; in.readAt(at, head, 8);) {
        const std::uint64_t size = bigEndian(head + 4, 4);
        unsigned char body[6];
        if (std::memcmp(head, "COMM", 4) == 0) {
            if (in.readAt(at + 8, body, 6)) length.frames = static_cast<std::int64_t>(bigEndian(body + 2, 4));
            return length;
        }
        at += 8 + size + (size & 1);
    }
    return length;
}

// Sun/NeXT AU: the data size field (all ones: unknown, as streams write it)
// over the bytes per frame of the uncompressed encodings.
AnnouncedLength auLength(ByteReader& in, bool little) {
    AnnouncedLength length;
    unsigned char header[24];
    if (!in.readAt(0, header, 24)) return length;
    auto field = [&](int at) { return little ? littleEndian(header + at, 4) : bigEndian(header + at, 4); };
    const std::uint64_t size = field(8), encoding = field(12), channels = field(20);
    static const int kBytesPerSample[] = {0, 1, 1, 2, 3, 4, 4, 8};
    const int bytes = encoding < 8 ? kBytesPerSample[encoding] : encoding == 27 ? 1 : 0;
    if (size == 0xFFFFFFFFu || bytes == 0 || channels == 0) return length;
    length.frames = static_cast<std::int64_t>(size / (channels * static_cast<std::uint64_t>(bytes)));
    length.bounds = true;
    return length;
}

// Sony Wave64: chunks named by GUIDs whose first four bytes are the RIFF
// names, with 64-bit sizes that count the 24-byte chunk header, 8-aligned.
AnnouncedLength w64Length(ByteReader& in) {
    AnnouncedLength length;
    WaveFormat format;
    unsigned char head[24];
    for (std::uint64_t at = 40; in.readAt(at, head, 24);) {
        const std::uint64_t size = littleEndian(head + 16, 8);
        if (size < 24) break;
        unsigned char body[40] = {};
        const std::uint64_t bodyBytes = std::min<std::uint64_t>(size - 24, sizeof body);
        if (std::memcmp(head, "fmt ", 4) == 0 && in.readAt(at + 24, body, bodyBytes)) {
            format = parseWaveFormat(body, bodyBytes);
        } else if (std::memcmp(head, "data", 4) == 0) {
            if (!format.uncompressed) {
                length.frames = blockFrames(format, size - 24);
                return length;
            }
            if (format.blockAlign == 0) return length;
            length.frames = static_cast<std::int64_t>((size - 24) / format.blockAlign);
            length.bounds = true;
            return length;
        }
        if (size > in.size()) break;
        at += (size + 7) / 8 * 8;
    }
    return length;
}

// Core Audio Format: data bytes / bytes per packet for constant-size
// one-frame packets, the packet table's count of valid frames otherwise.
AnnouncedLength cafLength(ByteReader& in) {
    AnnouncedLength length;
    std::uint64_t bytesPerPacket = 0, framesPerPacket = 0, dataBytes = 0;
    std::int64_t validFrames = -1;
    bool hasData = false;
    unsigned char head[12];
    for (std::uint64_t at = 8; in.readAt(at, head, 12);) {
        const std::uint64_t size = bigEndian(head + 4, 8);
        const bool toEnd = size == ~std::uint64_t{0};
        unsigned char body[32] = {};
        if (std::memcmp(head, "desc", 4) == 0 && in.readAt(at + 12, body, 32)) {
            bytesPerPacket = bigEndian(body + 16, 4);
            framesPerPacket = bigEndian(body + 20, 4);
        } else if (std::memcmp(head, "pakt", 4) == 0 && in.readAt(at + 12, body, 16)) {
            validFrames = static_cast<std::int64_t>(bigEndian(body + 8, 8) & 0x7FFFFFFFFFFFFFFF);
        } else if (std::memcmp(head, "data", 4) == 0) {
            hasData = true;
            const std::uint64_t start = at + 12;
            dataBytes = toEnd ? in.size() - std::min(in.size(), start) : size;
            if (!toEnd && size > in.size() - std::min(in.size(), start)) {
                length.damage = "its data chunk is cut short (" + std::to_string(size) + " bytes claimed, " +
                                std::to_string(in.size() - std::min(in.size(), start)) + " present)";
            }
            dataBytes -= std::min<std::uint64_t>(dataBytes, 4);  // the edit count
        }
        if (toEnd || size > in.size()) break;
        at += 12 + size;
    }
    if (!hasData) return length;
    if (validFrames >= 0) {
        length.frames = validFrames;
    } else if (bytesPerPacket > 0 && framesPerPacket == 1) {
        length.frames = static_cast<std::int64_t>(dataBytes / bytesPerPacket);
        length.bounds = true;
    }
    return length;
}

// FLAC: the total in STREAMINFO (0: unknown) and its MD5 of the samples.
AnnouncedLength flacLength(ByteReader& in, std::uint64_t at) {
    AnnouncedLength length;
    unsigned char block[38];
    if (!in.readAt(at + 4, block, sizeof block) || (block[0] & 0x7F) != 0) return length;
    const unsigned char* info = block + 4;
    const std::uint64_t packed = bigEndian(info + 10, 8);
    const std::uint64_t total = packed & 0xFFFFFFFFFull;
    if (total > 0) length.frames = static_cast<std::int64_t>(total);
    length.md5BitsPerSample = static_cast<int>((packed >> 36 & 0x1F) + 1);
    std::memcpy(length.md5.data(), info + 18, 16);
    for (unsigned char byte : length.md5) length.hasMd5 |= byte != 0;
    return length;
}

// Bytes an ID3v2 tag in front of a FLAC stream takes (0 when none).
std::uint64_t id3Size(ByteReader& in) {
    unsigned char tag[10];
    if (!in.readAt(0, tag, 10) || std::memcmp(tag, "ID3", 3) != 0) return 0;
    std::uint64_t size = 0;
    for (int i = 6; i < 10; ++i) size = size << 7 | (tag[i] & 0x7F);
    return 10 + size + ((tag[5] & 0x10) != 0 ? 10 : 0);
}

// Bytes per sample of the raw encodings --raw offers; 0 for others.
int rawBytesPerSample(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8:
        case SF_FORMAT_ULAW:
        case SF_FORMAT_ALAW:
            return 1;
        case SF_FORMAT_PCM_16:
            return 2;
        case SF_FORMAT_PCM_24:
            return 3;
        case SF_FORMAT_PCM_32:
        case SF_FORMAT_FLOAT:
            return 4;
        case SF_FORMAT_DOUBLE:
            return 8;
        default:
            return 0;
    }
}

// The containers parseAnnouncedLength reads; for others libsndfile's count
// is taken, as it is all there is.
bool parsedHere(int major) {
    switch (major) {
        case SF_FORMAT_WAV:
        case SF_FORMAT_WAVEX:
        case SF_FORMAT_RF64:
        case SF_FORMAT_AIFF:
        case SF_FORMAT_AU:
        case SF_FORMAT_W64:
        case SF_FORMAT_CAF:
        case SF_FORMAT_OGG:
        case SF_FORMAT_FLAC:
            return true;
        default:
            return false;
    }
}

}  // namespace

AnnouncedLength parseAnnouncedLength(std::istream& file, std::uint64_t fileSize) {
    ByteReader in(file, fileSize);
    unsigned char magic[16] = {};
    if (!in.readAt(0, magic, 16)) return {};
    const bool wave = std::memcmp(magic + 8, "WAVE", 4) == 0;
    if (std::memcmp(magic, "RIFF", 4) == 0 && wave) return riffLength(in, false);
    if (std::memcmp(magic, "RF64", 4) == 0 && wave) return riffLength(in, true);
    if (std::memcmp(magic, "FORM", 4) == 0 &&
        (std::memcmp(magic + 8, "AIFF", 4) == 0 || std::memcmp(magic + 8, "AIFC", 4) == 0)) {
        return aiffLength(in);
    }
    if (std::memcmp(magic, ".snd", 4) == 0) return auLength(in, false);
    if (std::memcmp(magic, "dns.", 4) == 0) return auLength(in, true);
    static const unsigned char kW64Riff[16] = {'r',  'i',  'f',  'f',  0x2E, 0x91, 0xCF, 0x11,
                                               0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00};
    if (std::memcmp(magic, kW64Riff, 16) == 0) return w64Length(in);
    if (std::memcmp(magic, "caff", 4) == 0) return cafLength(in);
    if (std::memcmp(magic, "OggS", 4) == 0) return oggLength(in);
    const std::uint64_t flacAt = id3Size(in);
    unsigned char flac[4];
    if (in.readAt(flacAt, flac, 4) && std::memcmp(flac, "fLaC", 4) == 0) return flacLength(in, flacAt);
    return {};
}

AnnouncedLength readAnnouncedLength(const std::string& path) {
    std::error_code ec;
    if (path == "-" || !std::filesystem::is_regular_file(path, ec)) return {};
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    std::ifstream file(path, std::ios::binary);
    if (ec || !file) return {};
    return parseAnnouncedLength(file, size);
}

void settleAnnouncedLength(AnnouncedLength& length, const SF_INFO& info, std::int64_t fileSize) {
    const int major = info.format & SF_FORMAT_TYPEMASK;
    if (major == SF_FORMAT_RAW) {
        length = {};
        const int width = rawBytesPerSample(info.format);
        if (fileSize < 0 || width == 0) return;
        const std::int64_t frameBytes = static_cast<std::int64_t>(width) * info.channels;
        length.frames = fileSize / frameBytes;
        length.bounds = true;
        if (fileSize % frameBytes != 0) {
            length.damage = "its last " + std::to_string(fileSize % frameBytes) +
                            " bytes are not a whole frame of " + std::to_string(frameBytes) + " bytes";
        }
        return;
    }
    if (length.opusUnits) {
        length.opusUnits = false;
        if (length.frames >= 0) length.frames = length.frames * info.samplerate / 48000;
        return;
    }
    if (fileSize >= 0 && !parsedHere(major)) {
        if (info.frames >= 0 && info.frames < SF_COUNT_MAX) length.frames = info.frames;
        return;
    }
    // A stream: libsndfile has read the header, and its count is the one
    // announced there (it cannot trim to a size it does not know).
    if (fileSize < 0 && length.frames < 0 && info.frames > 0 && info.frames < SF_COUNT_MAX &&
        (major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX || major == SF_FORMAT_RF64 ||
         major == SF_FORMAT_AIFF || major == SF_FORMAT_AU)) {
        length.frames = info.frames;
    }
}
