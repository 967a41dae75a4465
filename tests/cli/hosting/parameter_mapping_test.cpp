#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "hosting/hosted_effect.h"
#include "hosting/parameter_mapping.h"
#include "hosting/plugin_library.h"
#include "tests/cli/cli_test_support.h"

namespace {

// The effect's own mapping from a normalised float: truncation of a double
// product (and sum), the float widened first.
int effectLevel(float v) { return static_cast<int>(std::trunc(static_cast<double>(v) * 4.0)); }
int effectGap(float v) { return static_cast<int>(std::trunc(static_cast<double>(v) * 56.0 + 8.0)); }

TEST(ParameterMapping, EverySettingLandsInsideItsStepWithinTheNormalisedRange) {
    for (int s = 1; s <= 5; ++s) {
        const float v = sensitivityParameterValue(s);
        EXPECT_EQ(effectLevel(v), s - 1) << "sensitivity " << s;
        EXPECT_GE(v, 0.0f);
        EXPECT_LE(v, 1.0f);
        // Robust, not just on the edge: a neighbouring float gives the same level.
        if (s < 5) {
            EXPECT_EQ(effectLevel(std::nextafter(v, 0.0f)), s - 1);
        }
    }
    for (int g = 8; g <= 64; ++g) {
        const float v = clickGapParameterValue(g);
        EXPECT_EQ(effectGap(v), g) << "gap " << g;
        EXPECT_GE(v, 0.0f);
        EXPECT_LE(v, 1.0f);
        if (g < 64) {
            EXPECT_EQ(effectGap(std::nextafter(v, 0.0f)), g);
        }
    }
}

TEST(ParameterMapping, TheBundledEffectDisplaysExactlyTheRequestedSettings) {
    if (realPluginPath().empty()) GTEST_SKIP() << "no Sarnovellite plug-in in this build";
    HostedEffect effect(PluginLibrary::open(realPluginPath()), 44100.0, 512);
    ASSERT_TRUE(effect.isSarnovellite());
    EXPECT_EQ(effect.latencyFrames(), 2048);
    for (int s = 1; s <= 5; ++s) {
        effect.setParameter(kSensitivityParameter, sensitivityParameterValue(s));
        EXPECT_EQ(effect.parameterDisplay(kSensitivityParameter), std::to_string(s));
    }
    for (int g = 8; g <= 64; ++g) {
        effect.setParameter(kClickGapParameter, clickGapParameterValue(g));
        EXPECT_EQ(effect.parameterDisplay(kClickGapParameter), std::to_string(g));
    }
}

}  // namespace
