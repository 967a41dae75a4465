// Small VST 2 effects with exactly known behaviour, for testing the host.
// One source, several libraries; FAKE_MODE picks the behaviour:
//   1 swap-delay: 2 in/2 out, latency 37, left out = right in, right out = left in
//   2 gain: 2 in/2 out, no latency, output = 4 x input, accumulating entry only
//   3 mark: 2 in/2 out, latency 100, samples with |x| > 0.5 become 0
//   4 null: the entry point returns no record
//   5 mono: 1 in/1 out
//   6 no-entry: exports no entry point at all
// Every mode outputs NaN when the host processes before switching it on or
// with more frames than it announced, so such host faults fail the tests.
// FAKE_PLUGIN_SLEEP_US in the environment slows every process call down;
// FAKE_PLUGIN_CRASH makes the tenth process call crash (SIGSEGV);
// FAKE_PLUGIN_EXIT makes it call exit(0); FAKE_PLUGIN_NAN=N makes every
// process call write N NaN samples at the start of its left output;
// FAKE_PLUGIN_SHRINK=open drops the record to 1 output on effOpen,
// FAKE_PLUGIN_SHRINK=process on the tenth process call; FAKE_PLUGIN_LATENCY=N
// announces a latency of N frames (and delays by none).
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "vst2/record/aeffect.h"

namespace {

constexpr int kMode = FAKE_MODE;
constexpr int kLatency = kMode == 1 ? 37 : kMode == 3 ? 100 : 0;

struct FakeEffect {
    AEffect record{};
    int blockSize = 0;
    float sampleRate = 0.0f;
    bool on = false;
    int sleepMicroseconds = 0;
    bool crash = false;
    bool exitInstead = false;
    int nanSamples = 0;
    bool shrinkOnOpen = false;
    bool shrinkInProcess = false;
    int calls = 0;
    std::vector<float> delay[2];
    int delayPosition = 0;
};

FakeEffect* self(AEffect* e) { return static_cast<FakeEffect*>(e->object); }

VstIntPtr VSTCALLBACK dispatch(AEffect* e, VstInt32 opcode, VstInt32, VstIntPtr value, void*, float opt) {
    FakeEffect* fx = self(e);
    switch (opcode) {
        case effClose:
            delete fx;
            return 1;
        case effOpen:
            if (fx->shrinkOnOpen) e->numOutputs = 1;
            return 0;
        case effSetSampleRate:
            fx->sampleRate = opt;
            return 0;
        case effSetBlockSize:
            fx->blockSize = static_cast<int>(value);
            return 0;
        case effMainsChanged:
            fx->on = value != 0;
            for (auto& line : fx->delay) line.assign(kLatency, 0.0f);
            fx->delayPosition = 0;
            return 0;
        default:
            return 0;
    }
}

void render(AEffect* e, float** in, float** out, VstInt32 frames, bool accumulate) {
    FakeEffect* fx = self(e);
    if (fx->sleepMicroseconds > 0) usleep(static_cast<useconds_t>(fx->sleepMicroseconds));
    ++fx->calls;
    if (fx->crash && fx->calls == 10) raise(SIGSEGV);
    if (fx->exitInstead && fx->calls == 10) std::exit(0);
    if (fx->shrinkInProcess && fx->calls == 10) e->numOutputs = 1;
    const bool hostFault = !fx->on || frames > fx->blockSize || fx->sampleRate <= 0.0f;
    for (VstInt32 i = 0; i < frames; ++i) {
        float result[2];
        for (int c = 0; c < 2; ++c) {
            float x = in[c][i];
            if (kMode == 1) x = in[1 - c][i];
            if (kMode == 2) x *= 4.0f;
            if (kMode == 3 && std::fabs(x) > 0.5f) x = 0.0f;
            if (kLatency > 0) {
                float& slot = fx->delay[c][fx->delayPosition];
                const float delayed = slot;
                slot = x;
                x = delayed;
            }
            result[c] = hostFault ? NAN : x;
        }
        if (kLatency > 0) fx->delayPosition = (fx->delayPosition + 1) % std::max(kLatency, 1);
        for (int c = 0; c < 2; ++c) out[c][i] = accumulate ? out[c][i] + result[c] : result[c];
    }
    for (VstInt32 i = 0; i < std::min(frames, fx->nanSamples); ++i) out[0][i] = NAN;
}

void VSTCALLBACK processAccumulating(AEffect* e, float** in, float** out, VstInt32 frames) {
    render(e, in, out, frames, true);
}
void VSTCALLBACK processReplacing(AEffect* e, float** in, float** out, VstInt32 frames) {
    render(e, in, out, frames, false);
}
void VSTCALLBACK setParameter(AEffect*, VstInt32, float) {}
float VSTCALLBACK getParameter(AEffect*, VstInt32) { return 0.0f; }

AEffect* create(audioMasterCallback host) {
    if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    if (kMode == 4) return nullptr;
    auto* fx = new FakeEffect;
    AEffect& r = fx->record;
    r.magic = kEffectMagic;
    r.dispatcher = dispatch;
    r.process = processAccumulating;
    r.processReplacing = kMode == 2 ? nullptr : processReplacing;
    r.setParameter = setParameter;
    r.getParameter = getParameter;
    r.numPrograms = 1;
    r.numParams = 1;
    r.numInputs = kMode == 5 ? 1 : 2;
    r.numOutputs = kMode == 5 ? 1 : 2;
    r.flags = kMode == 2 ? 0 : effFlagsCanReplacing;
    r.initialDelay = kLatency;
    r.ioRatio = 1.0f;
    r.object = fx;
    r.uniqueID = 0x46616B65;  // 'Fake'
    r.version = 1;
    if (const char* sleep = std::getenv("FAKE_PLUGIN_SLEEP_US")) fx->sleepMicroseconds = std::atoi(sleep);
    fx->crash = std::getenv("FAKE_PLUGIN_CRASH") != nullptr;
    fx->exitInstead = std::getenv("FAKE_PLUGIN_EXIT") != nullptr;
    if (const char* nan = std::getenv("FAKE_PLUGIN_NAN")) fx->nanSamples = std::atoi(nan);
    if (const char* shrink = std::getenv("FAKE_PLUGIN_SHRINK")) {
        fx->shrinkOnOpen = std::string(shrink) == "open";
        fx->shrinkInProcess = std::string(shrink) == "process";
    }
    if (const char* latency = std::getenv("FAKE_PLUGIN_LATENCY")) r.initialDelay = std::atoi(latency);
    return &r;
}

}  // namespace

#if FAKE_MODE != 6
extern "C" __attribute__((visibility("default"))) AEffect* fakeEntry(audioMasterCallback host) __asm__(
    "main");
extern "C" AEffect* fakeEntry(audioMasterCallback host) { return create(host); }
#else
extern "C" __attribute__((visibility("default"))) AEffect* notTheEntryPoint(audioMasterCallback host) {
    return create(host);
}
#endif
