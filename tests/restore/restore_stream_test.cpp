// The restore engine as a stream: latency, independence of the host's block
// size, run-to-run determinism, reset, settings and non-finite input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "restore/restore_engine.h"
#include "restore_material.h"

namespace {

using Planar = std::vector<std::vector<float>>;

// Runs the whole input through a fresh engine in slices cut by schedule (the
// sizes repeat), then latency frames of silence; returns the output with the
// latency taken off, so that frame n lines up with input frame n.
Planar run(RestoreEngine& engine, const Planar& input, const std::vector<int>& schedule) {
    const int channels = static_cast<int>(input.size());
    const int frames = static_cast<int>(input[0].size());
    const int total = frames + engine.latency();
    Planar padded(channels, std::vector<float>(static_cast<size_t>(total), 0.0f));
    for (int c = 0; c < channels; ++c) std::copy(input[c].begin(), input[c].end(), padded[c].begin());
    Planar out(channels, std::vector<float>(static_cast<size_t>(total), 0.0f));
    std::vector<const float*> in(channels);
    std::vector<float*> o(channels);
    for (int pos = 0, k = 0; pos < total; ++k) {
        const int n = std::min(schedule[k % schedule.size()], total - pos);
        for (int c = 0; c < channels; ++c) {
            in[c] = padded[c].data() + pos;
            o[c] = out[c].data() + pos;
        }
        engine.process(in.data(), o.data(), n);
        pos += n;
    }
    for (auto& ch : out) ch.erase(ch.begin(), ch.begin() + engine.latency());
    return out;
}

Planar damagedStereo(double rate, int frames) {
    auto left = restore_material::pluckedMusic(frames, rate, 1);
    auto right = restore_material::pluckedMusic(frames, rate, 2);
    restore_material::addClicks(left, rate, 1000, static_cast<int>(0.021 * rate), 3);
    restore_material::addClicks(right, rate, 1700, static_cast<int>(0.033 * rate), 4);
    return {left, right};
}

bool sameBits(const Planar& a, const Planar& b) {
    for (size_t c = 0; c < a.size(); ++c)
        if (a[c].size() != b[c].size() ||
            std::memcmp(a[c].data(), b[c].data(), a[c].size() * sizeof(float)) != 0)
            return false;
    return true;
}

TEST(RestoreStream, OutputIsTheSameForEveryBlockSizeAndEveryRun) {
    for (double rate : {8000.0, 44100.0, 96000.0}) {
        const auto input = damagedStereo(rate, static_cast<int>(1.5 * rate));
        RestoreEngine reference(rate, 2);
        const auto expected = run(reference, input, {512});
        EXPECT_GT(reference.regionsRepaired(), 20) << rate;
        for (const std::vector<int>& schedule :
             std::vector<std::vector<int>>{{1}, {333}, {4096}, {512}, {7, 1, 2048, 100, 3}}) {
            RestoreEngine engine(rate, 2);
            EXPECT_TRUE(sameBits(run(engine, input, schedule), expected))
                << "rate " << rate << ", first slice " << schedule[0];
        }
    }
}

TEST(RestoreStream, LatencyIsFixedAndExactAtEveryRate) {
    for (double rate : {8000.0, 22050.0, 44100.0, 48000.0, 96000.0, 192000.0}) {
        RestoreEngine engine(rate, 1);
        EXPECT_LE(engine.latency(), 0.1 * rate) << rate;
        // A quiet held tone has nothing to repair: the output is the input,
        // delayed by exactly the latency.
        std::vector<float> tone(static_cast<size_t>(0.6 * rate));
        for (size_t i = 0; i < tone.size(); ++i)
            tone[i] = static_cast<float>(0.2 * std::sin(0.05 * static_cast<double>(i)));
        const auto out = run(engine, {tone}, {480});
        EXPECT_TRUE(sameBits(out, {tone})) << rate;
        RestoreSettings changed;
        changed.longestClickMs = 2.0f;
        changed.threshold = 4.0f;
        engine.setSettings(changed);
        EXPECT_EQ(engine.latency(), RestoreEngine(rate, 1, changed).latency());
    }
}

TEST(RestoreStream, ResetGivesWhatAFreshEngineGives) {
    const auto input = damagedStereo(44100.0, 60000);
    RestoreEngine used(44100.0, 2), fresh(44100.0, 2);
    run(used, damagedStereo(44100.0, 30011), {256});  // leaves a part-filled hop
    used.reset();
    EXPECT_TRUE(sameBits(run(used, input, {512}), run(fresh, input, {512})));
}

TEST(RestoreStream, RemovedOutputIsInputMinusRestored) {
    const auto input = damagedStereo(48000.0, 48000);
    RestoreEngine restoring(48000.0, 2);
    RestoreSettings removedSettings;
    removedSettings.output = RestoreOutput::removed;
    RestoreEngine removing(48000.0, 2, removedSettings);
    const auto restored = run(restoring, input, {512});
    const auto removed = run(removing, input, {512});
    double removedEnergy = 0.0;
    for (int c = 0; c < 2; ++c)
        for (size_t i = 0; i < input[c].size(); ++i) {
            ASSERT_EQ(removed[c][i], input[c][i] - restored[c][i]) << i;
            removedEnergy += removed[c][i] * removed[c][i];
        }
    EXPECT_GT(removedEnergy, 0.0);
}

// NaN and infinities pass through at their own positions and nowhere else;
// the clicks after them are still repaired as without them.
TEST(RestoreStream, NonFiniteInputStaysWhereItIs) {
    const double rate = 44100.0;
    auto input = damagedStereo(rate, 88200);
    auto poisoned = input;
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity(), 3e30f};
    for (int i = 0; i < 400; ++i) poisoned[0][static_cast<size_t>(20000 + 7 * i)] = bad[i % 4];
    poisoned[1][30000] = bad[0];
    RestoreEngine engine(rate, 2), clean(rate, 2);
    const auto out = run(engine, poisoned, {300});
    const auto reference = run(clean, input, {300});
    for (int c = 0; c < 2; ++c)
        for (size_t i = 0; i < out[c].size(); ++i) {
            const bool inputFinite = std::fabs(poisoned[c][i]) <= 1e6f;
            if (inputFinite)
                ASSERT_TRUE(std::isfinite(out[c][i])) << c << " " << i;
            else
                ASSERT_EQ(std::memcmp(&out[c][i], &poisoned[c][i], sizeof(float)), 0) << c << " " << i;
        }
    // Once the analysis window has passed the poisoned stretch, the output is
    // what it would have been without it.
    const size_t after = 20000 + 7 * 400 + static_cast<size_t>(0.2 * rate);
    for (size_t i = after; i < out[0].size(); ++i) ASSERT_EQ(out[0][i], reference[0][i]) << i;
}

TEST(RestoreStream, RefusesChannelCountsItCannotHold) {
    EXPECT_THROW(RestoreEngine(44100.0, 0), std::invalid_argument);
    EXPECT_THROW(RestoreEngine(44100.0, RestoreEngine::kMaxChannels + 1), std::invalid_argument);
}

}  // namespace
