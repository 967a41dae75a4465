#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/plugin/plugin_instance.h"
#include "tests/plugin/test_signals.h"

namespace {

constexpr std::size_t kDelay = 2048;

// Frames of `out` from `kDelay` on equal `in` shifted by the delay, bit for bit.
void expectDelayedCopy(const std::vector<float>& in, const std::vector<float>& out, std::size_t delay) {
    ASSERT_EQ(in.size(), out.size());
    for (std::size_t i = 0; i < delay && i < out.size(); ++i) ASSERT_EQ(out[i], 0.0f) << "frame " << i;
    for (std::size_t i = delay; i < out.size(); ++i) ASSERT_EQ(out[i], in[i - delay]) << "frame " << i;
}

struct Rendered {
    std::vector<float> left, right;
};

Rendered render(const StereoSignal& signal, const std::vector<int>& lengths) {
    PluginInstance effect;
    Rendered out;
    effect.run(signal.left, signal.right, lengths, out.left, out.right);
    return out;
}

}  // namespace

TEST(PluginProcessing, CleanAudioComesOutUnchangedAndDelayedBy2048) {
    const StereoSignal clean = cleanSignal(20000);
    for (const std::vector<int>& lengths :
         {std::vector<int>{2048}, std::vector<int>{2049}, std::vector<int>{512}, std::vector<int>{5000},
          std::vector<int>{1, 2047, 0, 3}, randomLengths(5, 64, 1, 4096)}) {
        SCOPED_TRACE(lengths.size() > 4 ? "random lengths" : std::to_string(lengths[0]));
        const Rendered out = render(clean, lengths);
        expectDelayedCopy(clean.left, out.left, kDelay);
        expectDelayedCopy(clean.right, out.right, kDelay);
    }
}

TEST(PluginProcessing, ClicksAreRepairedInPlaceAndInTime) {
    const std::size_t frames = 24000;
    const StereoSignal clean = cleanSignal(frames);
    const std::vector<std::size_t> at = clickFrames(frames, 2900);
    const StereoSignal clicked = withClicks(clean, at, 0.8f);
    const Rendered out = render(clicked, randomLengths(9, 100, 1, 3000));

    for (std::size_t i = 0; i < 1792; ++i) {
        ASSERT_EQ(out.left[i], 0.0f);
        ASSERT_EQ(out.right[i], 0.0f);
    }
    // Away from the clicks the output is the input, delayed, bit for bit; at
    // the clicks it is close to the clean signal the clicks were added to.
    auto nearClick = [&](std::size_t frame) {
        for (std::size_t c : at) {
            if (frame + 128 >= c && frame <= c + 128) return true;
        }
        return false;
    };
    double repairedError = 0.0;
    for (std::size_t i = kDelay; i < frames; ++i) {
        const std::size_t source = i - kDelay;
        if (!nearClick(source)) {
            ASSERT_EQ(out.left[i], clicked.left[source]) << "frame " << i;
            ASSERT_EQ(out.right[i], clicked.right[source]) << "frame " << i;
        }
        repairedError = std::max({repairedError, double(std::fabs(out.left[i] - clean.left[source])),
                                  double(std::fabs(out.right[i] - clean.right[source]))});
    }
    EXPECT_LT(repairedError, 0.05) << "clicks left in (they are 0.8 high)";
}

TEST(PluginProcessing, SlicingDoesNotChangeTheResult) {
    const std::size_t frames = 30000;
    const StereoSignal clicked = withClicks(cleanSignal(frames, 0.3), clickFrames(frames, 1700), 0.5f);
    const Rendered reference = render(clicked, {2048});
    for (const std::vector<int>& lengths : {std::vector<int>{2049}, std::vector<int>{7},
                                            std::vector<int>{8192}, randomLengths(17, 200, 0, 5000)}) {
        const Rendered out = render(clicked, lengths);
        EXPECT_EQ(out.left, reference.left);
        EXPECT_EQ(out.right, reference.right);
    }
}

TEST(PluginProcessing, ProcessOverwritesLikeProcessReplacingAlsoInPlace) {
    const std::size_t frames = 9000;
    const StereoSignal clicked = withClicks(cleanSignal(frames), clickFrames(frames, 2500), 0.6f);
    const Rendered reference = render(clicked, {1000});

    PluginInstance accumulating, inPlace;
    std::vector<float> outL(frames), outR(frames);
    std::vector<float> bufL = clicked.left, bufR = clicked.right;
    for (std::size_t done = 0; done < frames; done += 1000) {
        const std::size_t n = std::min<std::size_t>(1000, frames - done);
        std::vector<float> inL(clicked.left.begin() + done, clicked.left.begin() + done + n);
        std::vector<float> inR(clicked.right.begin() + done, clicked.right.begin() + done + n);
        std::vector<float> oL(n, 5.0f), oR(n, 5.0f);  // not silence: `process` must not add to it
        float* in[2] = {inL.data(), inR.data()};
        float* out[2] = {oL.data(), oR.data()};
        accumulating.record()->process(accumulating.record(), in, out, static_cast<VstInt32>(n));
        std::copy(oL.begin(), oL.end(), outL.begin() + done);
        std::copy(oR.begin(), oR.end(), outR.begin() + done);

        float* same[2] = {bufL.data() + done, bufR.data() + done};
        inPlace.record()->processReplacing(inPlace.record(), same, same, static_cast<VstInt32>(n));
    }
    EXPECT_EQ(outL, reference.left);
    EXPECT_EQ(outR, reference.right);
    EXPECT_EQ(bufL, reference.left);
    EXPECT_EQ(bufR, reference.right);
}

TEST(PluginProcessing, EmptyAndNegativeFrameCountsTouchNothing) {
    const StereoSignal clicked = withClicks(cleanSignal(8000), clickFrames(8000, 1900), 0.5f);
    const Rendered whole = render(clicked, {3000});

    PluginInstance effect;
    const StereoSignal head{std::vector<float>(clicked.left.begin(), clicked.left.begin() + 3000),
                            std::vector<float>(clicked.right.begin(), clicked.right.begin() + 3000)};
    const StereoSignal tail{std::vector<float>(clicked.left.begin() + 3000, clicked.left.end()),
                            std::vector<float>(clicked.right.begin() + 3000, clicked.right.end())};
    Rendered first, second;
    effect.run(head.left, head.right, {3000}, first.left, first.right);
    float sentinel[4] = {9.0f, 9.0f, 9.0f, 9.0f};
    float* in[2] = {sentinel, sentinel + 2};
    float* out[2] = {sentinel, sentinel + 2};
    for (VstInt32 frames : {0, -1, -2048, -2147483647 - 1}) {
        effect.record()->processReplacing(effect.record(), in, out, frames);
        effect.record()->process(effect.record(), in, out, frames);
    }
    for (VstInt32 frames : {0, -5}) {
        effect.record()->processReplacing(effect.record(), nullptr, nullptr, frames);
        effect.record()->process(effect.record(), nullptr, nullptr, frames);
    }
    for (float s : sentinel) EXPECT_EQ(s, 9.0f);
    // The stream continues as if those calls had not been made.
    effect.run(tail.left, tail.right, {3000}, second.left, second.right);
    first.left.insert(first.left.end(), second.left.begin(), second.left.end());
    first.right.insert(first.right.end(), second.right.begin(), second.right.end());
    EXPECT_EQ(first.left, whole.left);
    EXPECT_EQ(first.right, whole.right);
}

TEST(PluginProcessing, SwitchingOnRePrimesTheEngine) {
    const StereoSignal clean = cleanSignal(12000);
    {
        // Before any audio, switching on keeps the delay at one block.
        PluginInstance effect;
        effect.dispatch(effMainsChanged, 0, 0);
        effect.dispatch(effMainsChanged, 0, 1);
        std::vector<float> outL, outR;
        effect.run(clean.left, clean.right, {700}, outL, outR);
        expectDelayedCopy(clean.left, outL, kDelay);
        expectDelayedCopy(clean.right, outR, kDelay);
    }
    {
        // After audio, switching off and on starts the stream afresh: what the
        // engine still held is dropped, a lone impulse comes out exactly the
        // announced delay later, and clicked input comes out as from a new
        // instance.
        PluginInstance effect;
        const StereoSignal clicked = withClicks(cleanSignal(12000, 1.0), clickFrames(12000, 700), 0.6f);
        std::vector<float> outL, outR;
        effect.run(clicked.left, clicked.right, {4000}, outL, outR);
        for (int round = 0; round < 2; ++round) {
            effect.dispatch(effMainsChanged, 0, 0);
            effect.dispatch(effMainsChanged, 0, 1);
            StereoSignal impulse{std::vector<float>(6000, 0.0f), std::vector<float>(6000, 0.0f)};
            impulse.left[100] = 0.5f;
            effect.run(impulse.left, impulse.right, {999}, outL, outR);
            const auto peak = std::max_element(outL.begin(), outL.end()) - outL.begin();
            EXPECT_EQ(peak, 100 + effect.record()->initialDelay);
        }
        effect.dispatch(effMainsChanged, 0, 0);
        effect.dispatch(effMainsChanged, 0, 1);
        effect.run(clicked.left, clicked.right, {1024}, outL, outR);
        const Rendered fresh = render(clicked, {1024});
        EXPECT_EQ(outL, fresh.left);
        EXPECT_EQ(outR, fresh.right);
    }
}

// Small clicks that only the most sensitive level repairs show whether the
// detector still holds the host's settings after the effect is switched off
// and on again.
TEST(PluginProcessing, SwitchingOffAndOnKeepsTheParameters) {
    const std::size_t frames = 16000;
    const StereoSignal clicked = withClicks(cleanSignal(frames), clickFrames(frames, 1300), 0.1f);
    const Rendered atDefaults = render(clicked, {512});

    PluginInstance configured;
    configured.setParameter(0, 1.0f);
    configured.setParameter(2, 0.0f);
    Rendered reference;
    configured.run(clicked.left, clicked.right, {512}, reference.left, reference.right);
    ASSERT_NE(reference.left, atDefaults.left)
        << "the clicks must be repaired only at the highest sensitivity";

    PluginInstance switched;
    switched.setParameter(0, 1.0f);
    switched.setParameter(2, 0.0f);
    switched.dispatch(effMainsChanged, 0, 0);
    switched.dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(switched.getParameter(0), 1.0f);
    EXPECT_EQ(switched.getParameter(2), 0.0f);
    Rendered out;
    switched.run(clicked.left, clicked.right, {512}, out.left, out.right);
    EXPECT_EQ(out.left, reference.left);
    EXPECT_EQ(out.right, reference.right);
}
