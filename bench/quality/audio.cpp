#include "bench/quality/audio.h"

#include <sndfile.h>

#include <memory>
#include <stdexcept>

namespace {
struct Closer {
    void operator()(SNDFILE* f) const { sf_close(f); }
};
using File = std::unique_ptr<SNDFILE, Closer>;
}  // namespace

Audio silence(int rate, int channelCount, std::size_t frames) {
    Audio a;
    a.rate = rate;
    a.channels.assign(channelCount, std::vector<double>(frames, 0.0));
    return a;
}

Audio readAudio(const std::string& path) {
    SF_INFO info{};
    File file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) throw std::runtime_error(path + ": " + sf_strerror(nullptr));
    Audio a = silence(info.samplerate, info.channels, 0);
    std::vector<double> block(4096 * static_cast<std::size_t>(info.channels));
    for (;;) {
        const sf_count_t got = sf_readf_double(file.get(), block.data(), 4096);
        if (got <= 0) break;
        for (sf_count_t i = 0; i < got; ++i)
            for (int c = 0; c < info.channels; ++c) a.channels[c].push_back(block[i * info.channels + c]);
    }
    return a;
}

void writeAudio(const std::string& path, const Audio& a) {
    SF_INFO info{};
    info.samplerate = a.rate;
    info.channels = static_cast<int>(a.channels.size());
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    File file(sf_open(path.c_str(), SFM_WRITE, &info));
    if (!file) throw std::runtime_error(path + ": " + sf_strerror(nullptr));
    const std::size_t n = a.frames(), ch = a.channels.size();
    std::vector<double> inter(n * ch);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t c = 0; c < ch; ++c) inter[i * ch + c] = a.channels[c][i];
    if (sf_writef_double(file.get(), inter.data(), static_cast<sf_count_t>(n)) != static_cast<sf_count_t>(n))
        throw std::runtime_error(path + ": short write");
}
