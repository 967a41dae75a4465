// Audio through the DLL's record entries: the fixed 2048-frame delay, any
// block length, the accumulating entry overwriting, switching on again, and a
// click actually being taken out.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "tests/windows/misaligned_call.h"
#include "tests/windows/plugin_instance_test.h"

namespace {

constexpr int kDelay = 2048;

struct Stereo {
    std::vector<float> left, right;
    explicit Stereo(std::size_t frames = 0) : left(frames), right(frames) {}
    std::size_t frames() const { return left.size(); }
};

// Distinct tones per channel so a swap or a shift shows. Clean sines never
// reach the detector's threshold, so the output must be the input, delayed.
Stereo cleanTones(std::size_t frames) {
    Stereo s(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i);
        s.left[i] = static_cast<float>(0.5 * std::sin(2.0 * std::numbers::pi * t / 100.0));
        s.right[i] = static_cast<float>(0.25 * std::sin(2.0 * std::numbers::pi * t / 37.0));
    }
    return s;
}

enum class Entry { replacing, accumulating };

// Feeds the whole signal in blocks cycling through the given lengths.
Stereo run(AEffect* effect, const Stereo& in, const std::vector<int>& blockLengths,
           Entry entry = Entry::replacing) {
    Stereo out(in.frames());
    // The accumulating entry must overwrite, so give it something to overwrite.
    std::fill(out.left.begin(), out.left.end(), 7.0f);
    std::fill(out.right.begin(), out.right.end(), -7.0f);
    std::size_t offset = 0;
    for (std::size_t k = 0; offset < in.frames(); ++k) {
        const std::size_t n =
            std::min<std::size_t>(blockLengths[k % blockLengths.size()], in.frames() - offset);
        float* inputs[2] = {const_cast<float*>(in.left.data()) + offset,
                            const_cast<float*>(in.right.data()) + offset};
        float* outputs[2] = {out.left.data() + offset, out.right.data() + offset};
        if (entry == Entry::replacing)
            effect->processReplacing(effect, inputs, outputs, static_cast<VstInt32>(n));
        else
            effect->process(effect, inputs, outputs, static_cast<VstInt32>(n));
        offset += n;
    }
    return out;
}

void expectDelayedCopy(const Stereo& in, const Stereo& out) {
    ASSERT_EQ(in.frames(), out.frames());
    std::size_t mismatches = 0;
    for (std::size_t i = 0; i < out.frames(); ++i) {
        const float wantLeft = i < kDelay ? 0.0f : in.left[i - kDelay];
        const float wantRight = i < kDelay ? 0.0f : in.right[i - kDelay];
        if (out.left[i] != wantLeft || out.right[i] != wantRight) {
            if (++mismatches <= 5)
                ADD_FAILURE() << "frame " << i << ": got (" << out.left[i] << ", " << out.right[i]
                              << "), want (" << wantLeft << ", " << wantRight << ")";
        }
    }
    EXPECT_EQ(mismatches, 0u);
}

class PluginAudio : public PluginInstanceTest {
protected:
    void SetUp() override {
        PluginInstanceTest::SetUp();
        if (HasFatalFailure()) return;
        effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
        effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
        effect->dispatcher(effect, effSetBlockSize, 0, 4096, nullptr, 0.0f);
        effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    }
    void TearDown() override {
        if (effect != nullptr) effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
        PluginInstanceTest::TearDown();
    }
};

TEST_F(PluginAudio, OutputIsInputDelayedByExactly2048FramesForAnyBlockLengths) {
    const Stereo in = cleanTones(30000);
    const std::vector<std::vector<int>> schedules = {
        {512}, {1}, {3, 17, 511}, {2047, 2049}, {4097, 5000, 1}, {0, 1023, 0, 2048, 3333},
    };
    for (const auto& schedule : schedules) {
        SCOPED_TRACE(::testing::Message() << "first block length " << schedule.front());
        AEffect* fresh = plugin->create(versionAnsweringHost);
        ASSERT_NE(fresh, nullptr);
        fresh->dispatcher(fresh, effMainsChanged, 0, 1, nullptr, 0.0f);
        expectDelayedCopy(in, run(fresh, in, schedule));
        EXPECT_EQ(fresh->dispatcher(fresh, effClose, 0, 0, nullptr, 0.0f), 1);
    }
}

TEST_F(PluginAudio, AccumulatingEntryOverwritesLikeReplacing) {
    const Stereo in = cleanTones(9000);
    expectDelayedCopy(in, run(effect, in, {1000, 7}, Entry::accumulating));
}

TEST_F(PluginAudio, InPlaceBuffersWork) {
    const Stereo in = cleanTones(9000);
    Stereo buffers = in;
    for (std::size_t offset = 0; offset < buffers.frames(); offset += 777) {
        const auto n = static_cast<VstInt32>(std::min<std::size_t>(777, buffers.frames() - offset));
        float* io[2] = {buffers.left.data() + offset, buffers.right.data() + offset};
        effect->processReplacing(effect, io, io, n);
    }
    expectDelayedCopy(in, buffers);
}

// Switching on again starts the stream afresh: the frames held from before are
// dropped and the new input follows one block of silence, the announced delay.
TEST_F(PluginAudio, SwitchingOnAgainStartsAfreshWithTheAnnouncedDelay) {
    run(effect, cleanTones(12345), {999});
    effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);

    // Starts at zero like the silence before it, so the seam is no click.
    Stereo in(12000);
    for (std::size_t i = 0; i < in.frames(); ++i) {
        in.left[i] = static_cast<float>(0.4 * std::sin(2.0 * std::numbers::pi * double(i) / 64.0));
        in.right[i] = static_cast<float>(-0.3 * std::sin(2.0 * std::numbers::pi * double(i) / 50.0));
    }
    const Stereo out = run(effect, in, {999});
    auto delayedCopyFrom = [&](std::size_t delay) {
        for (std::size_t i = delay; i < out.frames(); ++i)
            if (out.left[i] != in.left[i - delay] || out.right[i] != in.right[i - delay]) return false;
        for (std::size_t i = delay - kDelay; i < delay; ++i)
            if (out.left[i] != 0.0f || out.right[i] != 0.0f) return false;
        return true;
    };
    EXPECT_TRUE(delayedCopyFrom(kDelay))
        << "after switching on, the new input is not preceded by 2048 silent frames and copied exactly";
}

// A tone with a little noise, as real recordings have: the detector's
// threshold follows the height of the ordinary difference peaks, which a pure
// sine has too few of for a percentile to mean much.
TEST_F(PluginAudio, AClickOnANoisyToneIsRemoved) {
    const std::size_t frames = 20000;
    Stereo clean = cleanTones(frames);
    std::uint32_t state = 12345u;
    auto noise = [&state] {
        state = state * 1664525u + 1013904223u;
        return 0.02f * (static_cast<float>(state >> 8) / 16777216.0f - 0.5f);
    };
    for (std::size_t i = 0; i < frames; ++i) {
        clean.left[i] += noise();
        clean.right[i] += noise();
    }
    Stereo clicked = clean;
    const std::size_t clickAt = 9001;
    for (std::size_t i = 0; i < 3; ++i) {
        clicked.left[clickAt + i] += 0.9f;
        clicked.right[clickAt + i] -= 0.9f;
    }
    const Stereo out = run(effect, clicked, {441});
    double worstLeft = 0.0, worstRight = 0.0;
    for (std::size_t i = clickAt - 64; i < clickAt + 64; ++i) {
        worstLeft = std::max(worstLeft, std::fabs(double(out.left[i + kDelay]) - clean.left[i]));
        worstRight = std::max(worstRight, std::fabs(double(out.right[i + kDelay]) - clean.right[i]));
    }
    EXPECT_LT(worstLeft, 0.1);
    EXPECT_LT(worstRight, 0.1);
}

// Hosts built with other compilers call 32-bit plug-ins with the stack only
// 4-byte aligned; the processor-class variants use 16-byte vector spills, so
// every entry must cope. The whole life of an instance runs on the odd stack.
struct MisalignedJob {
    const PluginModule* plugin;
    const Stereo* input;
    Stereo output;
    bool created = false;
};

void runInstanceOnThisStack(void* context) {
    auto* job = static_cast<MisalignedJob*>(context);
    AEffect* effect = job->plugin->create(versionAnsweringHost);
    job->created = effect != nullptr;
    if (effect == nullptr) return;
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    effect->setParameter(effect, 0, 1.0f);
    job->output = run(effect, *job->input, {441, 2049});
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

TEST_F(PluginAudio, AnyCallerStackAlignmentGivesTheSameOutput) {
    Stereo in = cleanTones(16000);
    std::uint32_t state = 99u;
    for (std::size_t i = 0; i < in.frames(); ++i) {
        state = state * 1664525u + 1013904223u;
        in.left[i] += 0.05f * (static_cast<float>(state >> 8) / 16777216.0f - 0.5f);
        in.right[i] -= 0.05f * (static_cast<float>(state >> 8) / 16777216.0f - 0.5f);
    }
    for (std::size_t at = 3000; at < in.frames(); at += 2900) in.left[at] += 0.8f, in.right[at + 5] -= 0.7f;

    MisalignedJob reference{plugin, &in, Stereo(), false};
    callWithMisalignedStack(runInstanceOnThisStack, &reference, 0);
    ASSERT_TRUE(reference.created);
    for (int misalignment : {4, 8, 12}) {
        MisalignedJob job{plugin, &in, Stereo(), false};
        callWithMisalignedStack(runInstanceOnThisStack, &job, misalignment);
        ASSERT_TRUE(job.created) << misalignment;
        EXPECT_TRUE(job.output.left == reference.output.left && job.output.right == reference.output.right)
            << "stack " << misalignment << " bytes off alignment";
    }
}

}  // namespace
