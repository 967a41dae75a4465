#include "restore/restore_engine.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "restore/channel_restorer.h"

namespace {
// Beyond this a value is not audio; it is passed through like a NaN.
constexpr float kLargestAnalysed = 1e6f;

bool analysable(float v) { return std::fabs(v) <= kLargestAnalysed; }  // false for NaN too
}  // namespace

// One channel's window (repaired in place), the raw input it came from, and
// the finished core of the previous hop that is being played out.
struct RestoreEngine::Channel {
    explicit Channel(const RestoreGeometry& g)
        : restorer(g),
          window(static_cast<size_t>(g.window)),
          raw(static_cast<size_t>(g.window)),
          outRepaired(static_cast<size_t>(g.hop)),
          outRaw(static_cast<size_t>(g.hop)) {}
    ChannelRestorer restorer;
    std::vector<float> window;
    std::vector<float> raw;
    std::vector<float> outRepaired;
    std::vector<float> outRaw;
};

RestoreEngine::RestoreEngine(double sampleRate, int32_t channels, const RestoreSettings& settings)
    : geometry(RestoreGeometry::forRate(sampleRate)), channelCount(channels) {
    if (channels < 1 || channels > kMaxChannels)
        throw std::invalid_argument("RestoreEngine: 1 to 8 channels");
    for (int32_t c = 0; c < channels; ++c) channelState.push_back(std::make_unique<Channel>(geometry));
    setSettings(settings);
    reset();
}

RestoreEngine::~RestoreEngine() = default;

void RestoreEngine::setSettings(const RestoreSettings& s) {
    RestoreSettings c = s;
    const auto clampOr = [](float v, float lo, float hi, float fallback) {
        return std::isfinite(v) ? std::clamp(v, lo, hi) : fallback;
    };
    c.threshold = clampOr(s.threshold, RestoreSettings::kMinThreshold, RestoreSettings::kMaxThreshold,
                          RestoreSettings{}.threshold);
    c.longestClickMs = clampOr(s.longestClickMs, RestoreSettings::kMinLongestClickMs,
                               RestoreSettings::kMaxLongestClickMs, RestoreSettings{}.longestClickMs);
    if (s.output != RestoreOutput::removed) c.output = RestoreOutput::restored;
    current = c;
}

void RestoreEngine::reset() {
    for (auto& ch : channelState) {
        std::fill(ch->window.begin(), ch->window.end(), 0.0f);
        std::fill(ch->raw.begin(), ch->raw.end(), 0.0f);
        std::fill(ch->outRepaired.begin(), ch->outRepaired.end(), 0.0f);
        std::fill(ch->outRaw.begin(), ch->outRaw.end(), 0.0f);
        ch->restorer.reset();
    }
    phase = 0;
    repairedCount = 0;
}

void RestoreEngine::runHop() {
    const RestoreGeometry& g = geometry;
    HopSettings hs{};
    hs.threshold = current.threshold;
    hs.longestRun = std::clamp<int32_t>(g.samples(current.longestClickMs), 1, g.longestRun);
    hs.crackle = current.crackle;
    hs.thump = current.thump;
    const size_t kept = static_cast<size_t>(g.window - g.hop);
    for (auto& ch : channelState) {
        repairedCount += ch->restorer.processHop(ch->window.data(), hs);
        std::memcpy(ch->outRepaired.data(), ch->window.data() + g.context,
                    sizeof(float) * static_cast<size_t>(g.hop));
        std::memcpy(ch->outRaw.data(), ch->raw.data() + g.context,
                    sizeof(float) * static_cast<size_t>(g.hop));
        std::memmove(ch->window.data(), ch->window.data() + g.hop, sizeof(float) * kept);
        std::memmove(ch->raw.data(), ch->raw.data() + g.hop, sizeof(float) * kept);
    }
}

void RestoreEngine::process(const float* const* input, float* const* output, int32_t frames) {
    const RestoreGeometry& g = geometry;
    const bool removed = current.output == RestoreOutput::removed;
    const int32_t newFrom = g.window - g.hop;
    int32_t done = 0;
    while (done < frames) {
        const int32_t n = std::min(frames - done, g.hop - phase);
        // All inputs of this slice are read before any output is written.
        for (int32_t c = 0; c < channelCount; ++c) {
            Channel& ch = *channelState[static_cast<size_t>(c)];
            const float* in = input[c] + done;
            float* w = ch.window.data() + newFrom + phase;
            float* r = ch.raw.data() + newFrom + phase;
            for (int32_t i = 0; i < n; ++i) {
                const float v = in[i];
                r[i] = v;
                w[i] = analysable(v) ? v : 0.0f;
            }
        }
        for (int32_t c = 0; c < channelCount; ++c) {
            Channel& ch = *channelState[static_cast<size_t>(c)];
            float* out = output[c] + done;
            const float* rep = ch.outRepaired.data() + phase;
            const float* raw = ch.outRaw.data() + phase;
            for (int32_t i = 0; i < n; ++i) {
                const bool ok = analysable(raw[i]);
                if (removed)
                    out[i] = ok ? raw[i] - rep[i] : 0.0f;
                else
                    out[i] = ok ? rep[i] : raw[i];
            }
        }
        phase += n;
        done += n;
        if (phase == g.hop) {
            runHop();
            phase = 0;
        }
    }
}
