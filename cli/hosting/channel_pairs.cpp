#include "hosting/channel_pairs.h"

#include <unistd.h>

#include <cmath>
#include <string>

#include "base/tool_error.h"
#include "hosting/parameter_mapping.h"

namespace {

// Latencies beyond this are taken as a broken record rather than honoured
// with a delay line of that size (2^24 frames is over 5 minutes at 48 kHz).
constexpr int kMaxLatencyFrames = 1 << 24;

// While the effect's output lags, the input frames wait for it at full
// precision (aligned_writer.h): a double per sample.
constexpr std::int64_t kBytesPerDelayedSample = 8;

// The memory the delay of one file may take: an eighth of the machine's
// memory, so that a few files in parallel still fit.
std::int64_t delayMemoryBudget() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return std::int64_t{1} << 30;
    return static_cast<std::int64_t>(pages) * pageSize / 8;
}

std::string megabytes(std::int64_t bytes) { return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB"; }

}  // namespace

ChannelPairs::ChannelPairs(const EffectSettings& settings, int sampleRate, int channels)
    : channels_(channels), block_(settings.blockSize) {
    for (int left = 0; left < channels; left += 2) {
        Pair pair;
        pair.effect = std::make_unique<HostedEffect>(settings.plugin, sampleRate, block_);
        pair.left = left;
        pair.right = left + 1 < channels ? left + 1 : left;
        for (int k = 0; k < 2; ++k) {
            pair.in[k].assign(static_cast<std::size_t>(block_), 0.0f);
            pair.out[k].assign(static_cast<std::size_t>(block_), 0.0f);
        }
        if (pair.effect->isSarnovellite()) {
            pair.effect->setParameter(kSensitivityParameter, sensitivityParameterValue(settings.sensitivity));
            pair.effect->setParameter(kClickGapParameter, clickGapParameterValue(settings.clickGap));
        }
        pairs_.push_back(std::move(pair));
    }
    latency_ = pairs_.front().effect->latencyFrames();
    for (const Pair& pair : pairs_) {
        if (latency_ < 0 || latency_ > kMaxLatencyFrames || pair.effect->latencyFrames() != latency_) {
            throw ToolError(ExitStatus::badPlugin,
                            "plug-in " + settings.plugin->path() + ": reports an unusable latency of " +
                                std::to_string(pair.effect->latencyFrames()) + " frames");
        }
    }
    const std::int64_t budget = delayMemoryBudget();
    const std::int64_t bytesPerFrame = kBytesPerDelayedSample * channels;
    if (static_cast<std::int64_t>(latency_) * bytesPerFrame > budget) {
        throw ToolError(ExitStatus::badPlugin,
                        "plug-in " + settings.plugin->path() + ": its latency of " +
                            std::to_string(latency_) + " frames would hold " +
                            megabytes(latency_ * bytesPerFrame) + " of this " + std::to_string(channels) +
                            "-channel file in memory; at most " + std::to_string(budget / bytesPerFrame) +
                            " frames fit in the " + megabytes(budget) +
                            " allowed (an eighth of this machine's memory)");
    }
}

void ChannelPairs::process(const float* input, float* output, std::int64_t frames) {
    for (std::int64_t start = 0; start < frames; start += block_) {
        for (Pair& pair : pairs_) processBlock(pair, input + start * channels_, output + start * channels_);
    }
}

void ChannelPairs::processBlock(Pair& pair, const float* input, float* output) {
    float* const ins[2] = {pair.in[0].data(), pair.in[1].data()};
    float* const outs[2] = {pair.out[0].data(), pair.out[1].data()};
    // Stereo, the common case, copies with its stride known, which runs on
    // vectors.
    const bool stereo = channels_ == 2;
    for (int f = 0; f < block_; ++f) {
        ins[0][f] = stereo ? input[2 * f] : input[f * channels_ + pair.left];
        ins[1][f] = stereo ? input[2 * f + 1] : input[f * channels_ + pair.right];
    }
    pair.effect->process(ins, outs, block_);
    // NaN and infinity fail the comparison; counted in the copy, without a
    // branch, so the loops stay on vectors.
    constexpr float kLargest = 3.4028234663852886e38f;
    int nonFinite = 0;
    if (stereo) {
        for (int f = 0; f < block_; ++f) {
            output[2 * f] = outs[0][f];
            output[2 * f + 1] = outs[1][f];
            nonFinite += !(std::fabs(outs[0][f]) <= kLargest);
            nonFinite += !(std::fabs(outs[1][f]) <= kLargest);
        }
        nonFinite_ += nonFinite;
        return;
    }
    for (int f = 0; f < block_; ++f) {
        nonFinite += !(std::fabs(outs[0][f]) <= kLargest);
        if (pair.right != pair.left) nonFinite += !(std::fabs(outs[1][f]) <= kLargest);
    }
    nonFinite_ += nonFinite;
    for (int f = 0; f < block_; ++f) {
        output[f * channels_ + pair.left] = outs[0][f];
        if (pair.right != pair.left) output[f * channels_ + pair.right] = outs[1][f];
    }
}
