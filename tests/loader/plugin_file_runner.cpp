// Runs a raw stereo file through a plug-in library, as a host would, so the
// Windows DLL (under Wine) and the Linux module can be compared on the same
// input. Builds natively and with the Windows cross compiler; the library is
// given by path (under Wine a Unix path works).
//
//   plugin_file_runner PLUGIN IN.f32 OUT.f32 [PARAMETER0]
//
// PARAMETER0 is the normalised value of parameter 0 (Sarnovellite's
// sensitivity, Sarnovellite Restore's threshold). IN and OUT are interleaved
// little-endian float32 frames, left first. The input is followed by as many
// silent frames as the effect's announced delay (2048 for Sarnovellite) so
// that every input frame comes out; OUT holds that many frames more than IN. Blocks of varying odd lengths
// are used on purpose: the output must not depend on how the host slices.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/loader/plugin_module.h"

namespace {

bool readFrames(const char* path, std::vector<float>& samples) {
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return false;
    float buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, sizeof(float), 4096, f)) > 0)
        samples.insert(samples.end(), buffer, buffer + got);
    const bool ok = std::ferror(f) == 0;
    std::fclose(f);
    return ok && samples.size() % 2 == 0;
}

bool writeFrames(const char* path, const std::vector<float>& samples) {
    std::FILE* f = std::fopen(path, "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(samples.data(), sizeof(float), samples.size(), f) == samples.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5) {
        std::fprintf(stderr, "usage: %s PLUGIN IN.f32 OUT.f32 [PARAMETER0]\n", argv[0]);
        return 2;
    }
    const float sensitivity = argc == 5 ? std::strtof(argv[4], nullptr) : 0.0f;

    std::vector<float> interleaved;
    if (!readFrames(argv[2], interleaved)) {
        std::fprintf(stderr, "cannot read stereo float32 frames from %s\n", argv[2]);
        return 1;
    }
    const PluginModule plugin(argv[1]);
    if (plugin.entry("main") == nullptr) {
        std::fprintf(stderr, "cannot load %s or find its export main %s\n", argv[1], plugin.error().c_str());
        return 1;
    }
    AEffect* effect = plugin.create(versionAnsweringHost);
    if (effect == nullptr || effect->magic != kEffectMagic) {
        std::fprintf(stderr, "%s made no effect record\n", argv[1]);
        return 1;
    }
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect->dispatcher(effect, effSetBlockSize, 0, 5003, nullptr, 0.0f);
    effect->setParameter(effect, 0, sensitivity);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);

    const long delayFrames = effect->initialDelay > 0 ? effect->initialDelay : 0;
    interleaved.resize(interleaved.size() + 2 * static_cast<std::size_t>(delayFrames), 0.0f);
    const long frames = static_cast<long>(interleaved.size() / 2);
    std::vector<float> inLeft(frames), inRight(frames), outLeft(frames), outRight(frames);
    for (long i = 0; i < frames; ++i) {
        inLeft[i] = interleaved[2 * i];
        inRight[i] = interleaved[2 * i + 1];
    }

    static const long blockLengths[] = {441, 1, 2047, 5003, 17, 2049, 999};
    long offset = 0;
    for (std::size_t k = 0; offset < frames; ++k) {
        long n = blockLengths[k % (sizeof blockLengths / sizeof blockLengths[0])];
        if (n > frames - offset) n = frames - offset;
        float* inputs[2] = {inLeft.data() + offset, inRight.data() + offset};
        float* outputs[2] = {outLeft.data() + offset, outRight.data() + offset};
        effect->processReplacing(effect, inputs, outputs, static_cast<VstInt32>(n));
        offset += n;
    }
    effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);

    for (long i = 0; i < frames; ++i) {
        interleaved[2 * i] = outLeft[i];
        interleaved[2 * i + 1] = outRight[i];
    }
    if (!writeFrames(argv[3], interleaved)) {
        std::fprintf(stderr, "cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
