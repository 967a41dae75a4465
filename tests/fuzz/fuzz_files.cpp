// The mutation run's helper (scripts/fuzz-check.sh):
//   fuzz_files seeds DIR     writes a small seed of every container the tool reads
//   fuzz_files check FILE    prints "FRAMES ANNOUNCED EXACT" for a file: the
//                            frames libsndfile reads from it (-1: it cannot
//                            be opened), those its header announces (-1:
//                            unknown) and 1 when that count is exact, 0 when
//                            it is a least (compressed blocks)
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "audio_io/announced_length.h"

namespace {

int writeSeeds(const std::string& folder) {
    struct Seed {
        const char* name;
        int format;
        int rate;
        int channels;
    };
    const Seed seeds[] = {{"pcm16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 2},
                          {"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 8000, 1},
                          {"ext24.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 8000, 2},
                          {"ms.wav", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 8000, 1},
                          {"ima.wav", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 8000, 2},
                          {"gsm.wav", SF_FORMAT_WAV | SF_FORMAT_GSM610, 8000, 1},
                          {"u8.rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_U8, 8000, 2},
                          {"a.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 8000, 2},
                          {"a.aifc", SF_FORMAT_AIFF | SF_FORMAT_ULAW, 8000, 1},
                          {"a.au", SF_FORMAT_AU | SF_FORMAT_PCM_16, 8000, 2},
                          {"a.w64", SF_FORMAT_W64 | SF_FORMAT_PCM_16, 8000, 2},
                          {"a.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16, 8000, 2},
                          {"alac.caf", SF_FORMAT_CAF | SF_FORMAT_ALAC_16, 8000, 1},
                          {"a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000, 2},
                          {"a.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 8000, 1},
                          {"a.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 8000, 1}};
    for (const Seed& seed : seeds) {
        SF_INFO info{};
        info.samplerate = seed.rate;
        info.channels = seed.channels;
        info.format = seed.format;
        SNDFILE* file = sf_open((folder + "/" + seed.name).c_str(), SFM_WRITE, &info);
        if (file == nullptr) {
            std::fprintf(stderr, "fuzz_files: %s: %s\n", seed.name, sf_strerror(nullptr));
            return 1;
        }
        sf_set_string(file, SF_STR_TITLE, "seed");
        const int frames = 1500;
        std::vector<float> samples(static_cast<std::size_t>(frames * seed.channels));
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = 0.5f * std::sin(0.05f * static_cast<float>(i)) + (i % 397 == 0 ? 0.4f : 0.0f);
        sf_writef_float(file, samples.data(), frames);
        sf_close(file);
    }
    return 0;
}

int check(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        std::printf("-1 -1 0\n");
        std::fflush(stdout);
        return 0;
    }
    std::vector<float> buffer(static_cast<std::size_t>(4096 * info.channels));
    long long frames = 0;
    for (sf_count_t n; (n = sf_readf_float(file, buffer.data(), 4096)) > 0;) frames += n;
    sf_close(file);
    AnnouncedLength length = readAnnouncedLength(path);
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    settleAnnouncedLength(length, info, ec ? -1 : static_cast<std::int64_t>(size));
    std::printf("%lld %lld %d\n", frames, static_cast<long long>(length.frames), length.bounds ? 1 : 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "seeds") == 0) return writeSeeds(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "check") == 0) return check(argv[2]);
    std::fprintf(stderr, "usage: fuzz_files seeds DIR | check FILE\n");
    return 2;
}
