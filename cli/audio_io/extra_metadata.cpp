#include "audio_io/extra_metadata.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

#include "audio_io/wav_chunks.h"

namespace {

bool isWavFamily(int format) {
    const int major = format & SF_FORMAT_TYPEMASK;
    return major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX || major == SF_FORMAT_RF64;
}

// Chunks libsndfile writes itself from the file's format, samples and the
// records copyMetadata copies, or padding.
bool interpretedByLibrary(const std::string& id, const std::vector<unsigned char>& data) {
    static const std::set<std::string> known = {"RIFF", "RIFX", "RF64", "WAVE", "ds64", "fmt ",
                                                "data", "fact", "PEAK", "bext", "cart", "cue ",
                                                "smpl", "inst", "acid", "JUNK", "PAD ", "FLLR"};
    if (known.count(id) != 0) return true;
    return id == "LIST" && data.size() >= 4 && std::memcmp(data.data(), "INFO", 4) == 0;
}

std::string chunkName(const std::string& id, const std::vector<unsigned char>& data) {
    std::string name = id;
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (id == "LIST" && data.size() >= 4) name += " " + std::string(data.begin(), data.begin() + 4);
    return name + " chunk";
}

std::uint32_t little32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

// "comment KEY" for each Vorbis comment whose key libsndfile has no field for.
void listUnknownComments(const std::string& block, std::vector<std::string>& names) {
    static const std::set<std::string> fields = {"TITLE",   "COPYRIGHT",   "SOFTWARE", "ARTIST",
                                                 "COMMENT", "DESCRIPTION", "DATE",     "ALBUM",
                                                 "LICENSE", "TRACKNUMBER", "GENRE",    "ENCODER"};
    if (block.size() < 8) return;
    std::size_t at = 4 + little32(block, 0);
    if (at + 4 > block.size()) return;
    const std::uint32_t count = little32(block, at);
    at += 4;
    for (std::uint32_t i = 0; i < count && at + 4 <= block.size(); ++i) {
        const std::uint32_t length = little32(block, at);
        const std::string comment =
            block.substr(at + 4, std::min<std::size_t>(length, block.size() - at - 4));
        std::string key = comment.substr(0, comment.find('='));
        std::transform(key.begin(), key.end(), key.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (fields.count(key) == 0) names.push_back("comment " + key);
        at += 4 + length;
    }
}

}  // namespace

std::vector<std::string> copyUninterpretedChunks(const std::string& fromPath, int fromFormat, SNDFILE* to,
                                                 int toFormat) {
    std::vector<std::string> notCarried;
    if (!isWavFamily(fromFormat)) return notCarried;
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(fromPath, ec);
    std::ifstream file(fromPath, std::ios::binary);
    if (ec || !file) return notCarried;
    const WavChunkList list = listWavChunks(file, size);
    for (const WavChunk& found : list.chunks) {
        // The id and the first bytes tell whether the chunk is carried; only
        // then is it read whole (the data chunk is most of the file).
        std::vector<unsigned char> data(std::min<std::uint64_t>(found.bytes, 4));
        file.clear();
        file.seekg(static_cast<std::streamoff>(found.at));
        if (!file.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size())))
            continue;
        if (interpretedByLibrary(found.id, data) || found.bytes > 0xFFFFFFFFu) continue;
        data.resize(found.bytes);
        file.seekg(static_cast<std::streamoff>(found.at));
        if (!file.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size())))
            continue;
        SF_CHUNK_INFO chunk{};
        std::memcpy(chunk.id, found.id.data(), 4);
        chunk.id_size = 4;
        chunk.data = data.data();
        chunk.datalen = static_cast<unsigned int>(data.size());
        if (!isWavFamily(toFormat) || sf_set_chunk(to, &chunk) != SF_ERR_NO_ERROR)
            notCarried.push_back(chunkName(found.id, data));
    }
    if (!list.malformed.empty()) notCarried.push_back(list.malformed + ", dropped");
    return notCarried;
}

std::vector<std::string> flacItemsNotCarried(const std::string& path, int format) {
    std::vector<std::string> names;
    if ((format & SF_FORMAT_TYPEMASK) != SF_FORMAT_FLAC || path == "-") return names;
    std::ifstream file(path, std::ios::binary);
    char magic[4] = {};
    if (!file.read(magic, 4) || std::memcmp(magic, "fLaC", 4) != 0) return names;
    unsigned char header[4];
    bool last = false;
    while (!last && file.read(reinterpret_cast<char*>(header), 4)) {
        last = (header[0] & 0x80) != 0;
        const int type = header[0] & 0x7F;
        const std::size_t length =
            static_cast<std::size_t>(header[1]) << 16 | static_cast<std::size_t>(header[2]) << 8 | header[3];
        if (type == 4) {
            std::string block(length, '\0');
            if (!file.read(block.data(), static_cast<std::streamsize>(length))) break;
            listUnknownComments(block, names);
            continue;
        }
        if (type == 6) names.push_back("FLAC picture");
        file.seekg(static_cast<std::streamoff>(length), std::ios::cur);
    }
    return names;
}

void appendCodingHistory(SNDFILE* from, SNDFILE* to, const SF_INFO& outInfo, const std::string& process) {
    typedef SF_BROADCAST_INFO_VAR(16000) BroadcastInfo;
    const auto bext = std::make_unique<BroadcastInfo>();
    if (!isWavFamily(outInfo.format) ||
        sf_command(from, SFC_GET_BROADCAST_INFO, bext.get(), sizeof(BroadcastInfo)) != SF_TRUE) {
        return;
    }
    const int subtype = outInfo.format & SF_FORMAT_SUBMASK;
    const int bits = subtype == SF_FORMAT_PCM_16   ? 16
                     : subtype == SF_FORMAT_PCM_24 ? 24
                     : subtype == SF_FORMAT_PCM_U8 ? 8
                     : subtype == SF_FORMAT_DOUBLE ? 64
                                                   : 32;
    const char* mode = outInfo.channels == 1 ? "mono" : outInfo.channels == 2 ? "stereo" : "multichannel";
    const std::string line = "A=PCM,F=" + std::to_string(outInfo.samplerate) + ",W=" + std::to_string(bits) +
                             ",M=" + mode + ",T=" + process + "\r\n";
    std::string history(bext->coding_history,
                        std::min<std::size_t>(bext->coding_history_size, sizeof bext->coding_history));
    history = history.substr(0, history.find('\0'));
    if (history.size() + line.size() >= sizeof bext->coding_history) return;
    history += line;
    std::memcpy(bext->coding_history, history.c_str(), history.size() + 1);
    bext->coding_history_size = static_cast<std::uint32_t>(history.size());
    sf_command(to, SFC_SET_BROADCAST_INFO, bext.get(), sizeof(BroadcastInfo));
}
