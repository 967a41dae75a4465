// Both plug-ins of the bundle driven as an LV2 host drives them: the binary
// loaded from the bundle, every port connected, activate, runs of varying
// block sizes, deactivate, re-activate, cleanup.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "lv2/plugin_description.h"
#include "lv2_material.h"

namespace {

class Lv2Lifecycle : public testing::TestWithParam<PluginCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(bundleBinary().loaded()) << bundleBinary().error();
        descriptor = bundleBinary().descriptor(GetParam().uri);
        ASSERT_NE(descriptor, nullptr) << GetParam().uri;
    }
    const LV2_Descriptor* descriptor = nullptr;
};

TEST(Lv2Bundle, TheBinaryHandsOutEveryPluginOnce) {
    ASSERT_TRUE(bundleBinary().loaded()) << bundleBinary().error();
    std::vector<std::string> expected;
    for (const PluginCase& c : bundleCases()) expected.push_back(c.uri);
    EXPECT_EQ(bundleBinary().uris(), expected);
}

// The latency port holds the delay before the first run (hosts read it right
// after activate), the audio is delayed by exactly that much, and after a
// deactivate/activate the same input gives the same output bit for bit,
// whatever the block sizes and whether the host runs in place.
TEST_P(Lv2Lifecycle, LatencyIsAnnouncedOnActivateAndExactAfterReactivation) {
    const Stereo input = clickedStereo(3 * 44100, 5);
    Lv2Instance instance(descriptor, 44100.0, GetParam().defaults);
    ASSERT_TRUE(instance.instantiated());
    instance.activate();
    const float latency = instance.latency();
    ASSERT_GT(latency, 0.0f);
    ASSERT_LE(latency, static_cast<float>(GetParam().latencyMaximum));
    ASSERT_EQ(latency, std::floor(latency));

    const Stereo first = instance.run(input, kVaryingBlocks);
    EXPECT_EQ(measuredDelay(input, first, 2 * static_cast<int>(latency) + 64), static_cast<int>(latency));
    for (int i = 0; i < static_cast<int>(latency); ++i) ASSERT_EQ(first.left[i], 0.0f) << i;

    instance.deactivate();
    instance.activate();
    EXPECT_EQ(instance.latency(), latency);
    const std::uint32_t otherBlocks[] = {4096, 3, 1024, 777};
    const Stereo again = instance.run(input, otherBlocks);
    EXPECT_TRUE(bitIdentical(again.left, first.left));
    EXPECT_TRUE(bitIdentical(again.right, first.right));

    Lv2Instance fresh(descriptor, 44100.0, GetParam().defaults);
    fresh.activate();
    const std::uint32_t oneBlock[] = {512};
    const Stereo inPlace = fresh.run(input, oneBlock, /*inPlace=*/true);
    EXPECT_TRUE(bitIdentical(inPlace.left, first.left));
    EXPECT_TRUE(bitIdentical(inPlace.right, first.right));

    // One frame per run, as lilv's lv2apply runs a plug-in.
    Lv2Instance frameByFrame(descriptor, 44100.0, GetParam().defaults);
    frameByFrame.activate();
    const std::uint32_t oneFrame[] = {1};
    const Stereo single = frameByFrame.run(input, oneFrame);
    EXPECT_TRUE(bitIdentical(single.left, first.left));
    EXPECT_TRUE(bitIdentical(single.right, first.right));
}

// NaN and infinities in the input stay where they are: every finite input
// sample far enough from them comes out finite, and a re-activation leaves
// nothing of them behind. NaN on a control port counts as its default.
TEST_P(Lv2Lifecycle, NonFiniteInputAndControlsAreContained) {
    Stereo input = clickedStereo(4 * 44100, 9);
    const int damagedFrom = 44100, damagedTo = 44100 + 300;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (int i = damagedFrom; i < damagedTo; ++i) {
        input.left[i] = i % 3 == 0 ? nan : i % 3 == 1 ? inf : -inf;
        if (i % 2 == 0) input.right[i] = nan;
    }
    Lv2Instance instance(descriptor, 44100.0, GetParam().defaults);
    instance.activate();
    const int latency = static_cast<int>(instance.latency());
    const Stereo out = instance.run(input, kVaryingBlocks);
    // The repairs may reach a window (and the restore model its history)
    // beyond the damage; past that everything must be finite again.
    const int reach = 2 * latency + 8192;
    for (int i = 0; i < static_cast<int>(out.frames()); ++i) {
        const int source = i - latency;
        if (source >= damagedFrom - reach && source < damagedTo + reach) continue;
        ASSERT_TRUE(std::isfinite(out.left[i]) && std::isfinite(out.right[i])) << "frame " << i;
    }

    const Stereo clean = clickedStereo(2 * 44100, 11);
    instance.deactivate();
    instance.activate();
    const Stereo afterRestart = instance.run(clean, kVaryingBlocks);

    std::vector<float> nanControls(GetParam().defaults.size(), nan);
    Lv2Instance nanControlled(descriptor, 44100.0, nanControls);
    nanControlled.activate();
    const Stereo withNanControls = nanControlled.run(clean, kVaryingBlocks);

    Lv2Instance fresh(descriptor, 44100.0, GetParam().defaults);
    fresh.activate();
    const Stereo reference = fresh.run(clean, kVaryingBlocks);
    EXPECT_TRUE(bitIdentical(afterRestart.left, reference.left));
    EXPECT_TRUE(bitIdentical(afterRestart.right, reference.right));
    EXPECT_TRUE(bitIdentical(withNanControls.left, reference.left));
    EXPECT_TRUE(bitIdentical(withNanControls.right, reference.right));
}

INSTANTIATE_TEST_SUITE_P(Bundle, Lv2Lifecycle, testing::ValuesIn(bundleCases()),
                         [](const testing::TestParamInfo<PluginCase>& info) { return info.param.name; });

}  // namespace
