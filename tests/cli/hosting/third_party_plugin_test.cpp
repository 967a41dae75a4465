// Hosting a third-party Linux VST 2 effect (Debian's dpf-plugins-vst).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "tests/cli/cli_test_support.h"

namespace {

constexpr const char* kThreeBandEq = "/usr/lib/vst/3BandEQ-vst.so";

TEST(ThirdPartyPlugin, ThreeBandEqualiserAtItsDefaultsPassesTheMusicThrough) {
    if (!std::filesystem::exists(kThreeBandEq))
        GTEST_SKIP() << kThreeBandEq << " not installed (dpf-plugins-vst)";
    ScratchFolder folder;
    const long long frames = 44100;
    const std::vector<float> input = smoothSignal(frames, 2, 44100, 9);
    writeFloatFile(folder.path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, input);
    const CliRun run =
        runCli({"-q", "--plugin", kThreeBandEq, folder.path("in.wav"), folder.path("out.wav")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const SoundData out = readSound(folder.path("out.wav"));
    ASSERT_EQ(out.info.frames, frames);
    ASSERT_EQ(out.info.channels, 2);
    // Unity gains in all three bands: the output follows the input closely
    // once the filters have settled.
    double signal = 0.0, error = 0.0;
    for (std::size_t i = 2 * 4410; i < input.size(); ++i) {
        ASSERT_TRUE(std::isfinite(out.floats[i]));
        signal += input[i] * input[i];
        error += std::pow(out.floats[i] - input[i], 2.0);
    }
    EXPECT_LT(error, 0.01 * signal);
}

}  // namespace
