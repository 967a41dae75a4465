// Runs the restore engine over a sound file, for measurement:
//   restore_file IN.wav OUT.wav [--threshold S] [--longest MS] [--no-crackle] [--no-thump] [--removed]
// OUT is 32-bit float WAV of IN's rate, channels and length, aligned with IN
// (the engine's latency is taken off). A bench tool: it streams, so memory
// does not grow with the file, and writes OUT directly.
#include <sndfile.h>

#include <cstdio>
#include <string>
#include <vector>

#include "restore/restore_engine.h"
#include "restore_options.h"

namespace {
constexpr int kBlock = 4096;

int fail(const std::string& message) {
    std::fprintf(stderr, "restore_file: %s\n", message.c_str());
    return 1;
}

// Feeds frames interleaved frames through the engine; writes what is past the
// latency still to be skipped.
bool run(RestoreEngine& engine, const float* interleaved, int frames, int64_t& toSkip, SNDFILE* out,
         std::vector<std::vector<float>>& planar, std::vector<float>& packed) {
    const int channels = engine.channels();
    std::vector<const float*> in(static_cast<size_t>(channels));
    std::vector<float*> outs(static_cast<size_t>(channels));
    for (int c = 0; c < channels; ++c) {
        for (int i = 0; i < frames; ++i) planar[c][i] = interleaved[i * channels + c];
        in[c] = planar[c].data();
        outs[c] = planar[c].data();
    }
    engine.process(in.data(), outs.data(), frames);
    const int skip = static_cast<int>(std::min<int64_t>(toSkip, frames));
    toSkip -= skip;
    const int keep = frames - skip;
    for (int c = 0; c < channels; ++c)
        for (int i = 0; i < keep; ++i) packed[i * channels + c] = planar[c][skip + i];
    return sf_writef_float(out, packed.data(), keep) == keep;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return fail("usage: restore_file IN.wav OUT.wav [settings]");
    const std::string inPath = argv[1], outPath = argv[2];
    if (inPath == outPath) return fail("OUT must not be IN");
    RestoreSettings settings;
    for (int at = 3; at < argc;) {
        std::string error;
        if (!parseRestoreOption(argc, argv, at, settings, error)) return fail(error);
    }
    SF_INFO info{};
    SNDFILE* in = sf_open(inPath.c_str(), SFM_READ, &info);
    if (in == nullptr) return fail("cannot read " + inPath + ": " + sf_strerror(nullptr));
    if (info.channels < 1 || info.channels > RestoreEngine::kMaxChannels) return fail("1 to 8 channels only");
    RestoreEngine engine(info.samplerate, info.channels, settings);
    SF_INFO outInfo{};
    outInfo.samplerate = info.samplerate;
    outInfo.channels = info.channels;
    outInfo.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* out = sf_open(outPath.c_str(), SFM_WRITE, &outInfo);
    if (out == nullptr) return fail("cannot write " + outPath + ": " + sf_strerror(nullptr));
    const int ch = info.channels;
    std::vector<float> interleaved(static_cast<size_t>(kBlock * ch)), packed(interleaved.size());
    std::vector<std::vector<float>> planar(static_cast<size_t>(ch), std::vector<float>(kBlock));
    int64_t toSkip = engine.latency();
    bool ok = true;
    for (sf_count_t got; ok && (got = sf_readf_float(in, interleaved.data(), kBlock)) > 0;)
        ok = run(engine, interleaved.data(), static_cast<int>(got), toSkip, out, planar, packed);
    std::fill(interleaved.begin(), interleaved.end(), 0.0f);
    for (int64_t left = engine.latency(); ok && left > 0; left -= kBlock) {
        const int n = static_cast<int>(std::min<int64_t>(left, kBlock));
        ok = run(engine, interleaved.data(), n, toSkip, out, planar, packed);
    }
    sf_close(in);
    if (sf_close(out) != 0 || !ok) {
        std::remove(outPath.c_str());
        return fail("writing " + outPath + " failed");
    }
    return 0;
}
