// The effect instances that process one file: one per channel pair (a last
// odd channel is fed to both inputs and the left output is kept), each with
// its planar scratch, all set to the same sensitivity and click gap.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "hosting/hosted_effect.h"
#include "hosting/plugin_library.h"

struct EffectSettings {
    std::shared_ptr<PluginLibrary> plugin;
    int sensitivity = 1;
    int clickGap = 32;
    int blockSize = 512;
};

class ChannelPairs {
public:
    // Throws ToolError: from the plug-in, or ExitStatus::badPlugin when the
    // instances report a latency that is negative, absurdly long, not the
    // same for all of them, or longer than the delay of `channels` channels
    // fits in the memory one file may take (an eighth of the machine's).
    ChannelPairs(const EffectSettings& settings, int sampleRate, int channels);

    int latencyFrames() const { return latency_; }

    // Runs `frames` interleaved frames (a whole number of blocks) through the
    // instances, block by block.
    void process(const float* input, float* output, std::int64_t frames);

    // NaN or infinite samples the effects have written so far (the latency
    // flush included); read on the thread that processes, or after it.
    std::int64_t nonFiniteSamples() const { return nonFinite_; }

private:
    struct Pair {
        std::unique_ptr<HostedEffect> effect;
        int left;
        int right;  // == left for a lone last channel
        std::vector<float> in[2];
        std::vector<float> out[2];
    };
    void processBlock(Pair& pair, const float* input, float* output);

    int channels_;
    int block_;
    int latency_ = 0;
    std::int64_t nonFinite_ = 0;
    std::vector<Pair> pairs_;
};
