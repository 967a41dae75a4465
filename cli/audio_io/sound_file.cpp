#include "audio_io/sound_file.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <vector>

namespace {

std::string lowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    if (!ext.empty()) ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// Common spellings libsndfile's own table does not list: container and
// preferred encoding (or 0). libsndfile names its MPEG container .m1a;
// everyone else says .mp3.
struct ExtensionAlias {
    const char* extension;
    int major;
    int subtype;
};
constexpr ExtensionAlias kExtensionAliases[] = {
    {"aif", SF_FORMAT_AIFF, 0},
    {"aifc", SF_FORMAT_AIFF, 0},
    {"wave", SF_FORMAT_WAV, 0},
    {"ogg", SF_FORMAT_OGG, 0},
    {"opus", SF_FORMAT_OGG, SF_FORMAT_OPUS},
    {"mp3", SF_FORMAT_MPEG, SF_FORMAT_MPEG_LAYER_III},
};

// Container (with a preferred encoding, or 0) that a file extension names.
std::pair<int, int> containerForExtension(const std::string& ext) {
    for (const ExtensionAlias& alias : kExtensionAliases) {
        if (ext == alias.extension) return {alias.major, alias.subtype};
    }
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info{};
        info.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info) == 0 && info.extension != nullptr &&
            ext == info.extension) {
            return {info.format & SF_FORMAT_TYPEMASK, 0};
        }
    }
    return {0, 0};
}

// Whether the container an extension names already fits the input's. A .wav
// name fits WAVEX and also RF64, which keeps the .wav name past 4 GiB; writing
// such a file as plain WAV would fail at its 4 GiB limit.
bool extensionFitsContainer(int named, int inputMajor) {
    auto family = [](int major) { return major == SF_FORMAT_WAVEX ? SF_FORMAT_WAV : major; };
    return family(named) == family(inputMajor) || (named == SF_FORMAT_WAV && inputMajor == SF_FORMAT_RF64);
}

}  // namespace

int chooseOutputFormat(int inputFormat, const std::string& outputPath, int channels, int sampleRate) {
    const int inputMajor = inputFormat & SF_FORMAT_TYPEMASK;
    const int inputSub = inputFormat & SF_FORMAT_SUBMASK;
    const auto [major, preferredSub] = containerForExtension(lowerExtension(outputPath));
    if (major == 0 || (major == inputMajor && (preferredSub == 0 || preferredSub == inputSub)) ||
        (preferredSub == 0 && extensionFitsContainer(major, inputMajor))) {
        return inputFormat;
    }
    const bool integerInput = integerSampleScale(inputFormat) != 0.0 || inputSub == SF_FORMAT_ALAC_16 ||
                              inputSub == SF_FORMAT_ALAC_20 || inputSub == SF_FORMAT_ALAC_24 ||
                              inputSub == SF_FORMAT_ALAC_32;
    // sf_format_check accepts MPEG layers inside WAV, but libsndfile cannot
    // write them there: a compressed MPEG encoding is only kept in MPEG files.
    const bool mpegEncoding = inputSub == SF_FORMAT_MPEG_LAYER_I || inputSub == SF_FORMAT_MPEG_LAYER_II ||
                              inputSub == SF_FORMAT_MPEG_LAYER_III;
    std::vector<int> candidates;
    if (preferredSub != 0) candidates.push_back(preferredSub);
    if (!mpegEncoding || major == SF_FORMAT_MPEG) candidates.push_back(inputSub);
    if (integerInput) {
        candidates.insert(candidates.end(), {SF_FORMAT_PCM_24, SF_FORMAT_PCM_16, SF_FORMAT_FLOAT});
    } else {
        candidates.insert(candidates.end(), {SF_FORMAT_FLOAT, SF_FORMAT_PCM_24, SF_FORMAT_PCM_16});
    }
    candidates.insert(candidates.end(), {SF_FORMAT_VORBIS, SF_FORMAT_MPEG_LAYER_III});
    for (int sub : candidates) {
        SF_INFO info{};
        info.channels = channels;
        info.samplerate = sampleRate;
        info.format = major | sub;
        if (sf_format_check(&info)) return info.format;
    }
    return 0;
}

double integerSampleScale(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8:
            return 1.0 / 128.0;
        case SF_FORMAT_PCM_16:
            return 1.0 / 32768.0;
        case SF_FORMAT_PCM_24:
            return 1.0 / 8388608.0;
        case SF_FORMAT_PCM_32:
            return 1.0 / 2147483648.0;
        default:
            return 0.0;
    }
}

void configureSampleConversion(SNDFILE* file, int format) {
    if (integerSampleScale(format) != 0.0) {
        sf_command(file, SFC_SET_NORM_FLOAT, nullptr, SF_FALSE);
        sf_command(file, SFC_SET_NORM_DOUBLE, nullptr, SF_FALSE);
    }
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

namespace {

// Room for long coding histories and cart tag texts, just under the 16 KiB
// records libsndfile refuses to be handed.
typedef SF_BROADCAST_INFO_VAR(16000) BroadcastInfo;
typedef SF_CART_INFO_VAR(16000) CartInfo;

template <typename Record>
void copyRecord(SNDFILE* from, SNDFILE* to, int getCommand, int setCommand) {
    const auto record = std::make_unique<Record>();
    const int size = static_cast<int>(sizeof(Record));
    if (sf_command(from, getCommand, record.get(), size) == SF_TRUE)
        sf_command(to, setCommand, record.get(), size);
}

void copyCues(SNDFILE* from, SNDFILE* to) {
    std::uint32_t count = 0;
    if (sf_command(from, SFC_GET_CUE_COUNT, &count, sizeof count) != SF_TRUE || count == 0) return;
    // The record is a count followed by `count` cue points, all 32-bit aligned.
    const std::size_t bytes = sizeof(std::uint32_t) + count * sizeof(SF_CUE_POINT);
    std::vector<std::uint32_t> record((bytes + sizeof(std::uint32_t) - 1) / sizeof(std::uint32_t));
    if (sf_command(from, SFC_GET_CUE, record.data(), static_cast<int>(bytes)) == SF_TRUE) {
        sf_command(to, SFC_SET_CUE, record.data(), static_cast<int>(bytes));
    }
}

void copyChannelMap(SNDFILE* from, SNDFILE* to, int channels) {
    std::vector<int> map(static_cast<std::size_t>(channels));
    const int size = static_cast<int>(map.size() * sizeof(int));
    if (sf_command(from, SFC_GET_CHANNEL_MAP_INFO, map.data(), size) == SF_TRUE) {
        sf_command(to, SFC_SET_CHANNEL_MAP_INFO, map.data(), size);
    }
}

}  // namespace

void copyMetadata(SNDFILE* from, SNDFILE* to, int channels) {
    for (int field = SF_STR_FIRST; field <= SF_STR_LAST; ++field) {
        const char* text = sf_get_string(from, field);
        if (text != nullptr) sf_set_string(to, field, text);
    }
    copyRecord<BroadcastInfo>(from, to, SFC_GET_BROADCAST_INFO, SFC_SET_BROADCAST_INFO);
    copyRecord<CartInfo>(from, to, SFC_GET_CART_INFO, SFC_SET_CART_INFO);
    copyRecord<SF_INSTRUMENT>(from, to, SFC_GET_INSTRUMENT, SFC_SET_INSTRUMENT);
    copyCues(from, to);
    copyChannelMap(from, to, channels);
}

std::string describeFormat(int format) {
    SF_FORMAT_INFO major{};
    major.format = format & SF_FORMAT_TYPEMASK;
    SF_FORMAT_INFO sub{};
    sub.format = format & SF_FORMAT_SUBMASK;
    std::string text = sf_command(nullptr, SFC_GET_FORMAT_INFO, &major, sizeof major) == 0 && major.name
                           ? major.name
                           : "unknown container";
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &sub, sizeof sub) == 0 && sub.name)
        text += std::string(", ") + sub.name;
    return text;
}

bool outputExtensionIsWritable(const std::string& outputPath) {
    static const std::set<std::string> unwritable = {
        "m4a", "m4b", "m4r", "mp4", "3gp", "aac", "adts", "alac", "wma", "asf",
        "ape", "wv",  "tta", "tak", "mka", "mkv", "webm", "weba", "ac3", "eac3",
        "dts", "amr", "mp2", "ra",  "rm",  "dsf", "dff",  "shn",  "spx", "ofr"};
    return unwritable.count(lowerExtension(outputPath)) == 0;
}

std::string writableExtensions() {
    std::set<std::string> names;
    for (const ExtensionAlias& alias : kExtensionAliases) names.insert(alias.extension);
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info{};
        info.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info) == 0 && info.extension)
            names.insert(info.extension);
    }
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "." : " .") + name;
    return text;
}

bool writeEmptyFlac(const std::string& path, int format, int channels, int sampleRate) {
    const int subtype = format & SF_FORMAT_SUBMASK;
    const std::uint64_t bits = subtype == SF_FORMAT_PCM_S8 ? 8 : subtype == SF_FORMAT_PCM_16 ? 16 : 24;
    // STREAMINFO: block sizes 4096, frame sizes unknown, then rate (20 bits),
    // channels - 1 (3), bits - 1 (5), total samples (36) and the MD5 of no audio.
    const std::uint64_t packed = static_cast<std::uint64_t>(sampleRate) << 44 |
                                 static_cast<std::uint64_t>(channels - 1) << 41 | (bits - 1) << 36;
    std::string stream("fLaC\x80\x00\x00\x22\x10\x00\x10\x00\x00\x00\x00\x00\x00\x00", 18);
    for (int shift = 56; shift >= 0; shift -= 8) stream += static_cast<char>(packed >> shift & 0xFF);
    stream += std::string("\xd4\x1d\x8c\xd9\x8f\x00\xb2\x04\xe9\x80\x09\x98\xec\xf8\x42\x7e", 16);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(stream.data(), static_cast<std::streamsize>(stream.size()));
    return static_cast<bool>(file.flush());
}
