// End to end with -m restore: the executable finds SarnovelliteRestore.so on
// its own, compensates its latency, and the side files describe its run.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/cli_test_support.h"

namespace {

class RestoreMethod : public ::testing::Test {
protected:
    void SetUp() override {
        if (realPluginPath().empty()) GTEST_SKIP() << "no bundled plug-ins in this build";
    }
    ScratchFolder folder;
};

constexpr int kRate = 44100;

struct Click {
    long long frame;
    int channel;
    float height;
};

TEST_F(RestoreMethod, OutputIsAlignedRepairedAndRemovedIsInputMinusOutput) {
    const long long frames = 3 * kRate + 17;
    const std::vector<float> clean = smoothSignal(frames, 2, kRate, 41);
    std::vector<float> damaged = clean;
    std::vector<Click> clicks;
    for (int k = 0; k < 10; ++k) {
        clicks.push_back({9000 + k * 12007LL, k % 2, (k % 3 == 0 ? -0.6f : 0.5f)});
        damaged[clicks.back().frame * 2 + clicks.back().channel] += clicks.back().height;
    }
    writeFloatFile(folder.path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, kRate, 2, damaged);
    const CliRun run = runCli({"-q", "-m", "restore", "--removed", folder.path("removed.wav"), "--report",
                               folder.path("r.json"), folder.path("in.wav"), folder.path("out.wav")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const SoundData out = readSound(folder.path("out.wav"));
    const SoundData removed = readSound(folder.path("removed.wav"));
    ASSERT_EQ(out.info.frames, frames);
    ASSERT_EQ(removed.info.frames, frames);

    // Aligned: each click is gone at its own frame, and away from the clicks
    // nearly every sample is the input's own.
    for (const Click& click : clicks) {
        const std::size_t i = static_cast<std::size_t>(click.frame * 2 + click.channel);
        EXPECT_LT(std::fabs(out.floats[i] - clean[i]), 0.1f * std::fabs(click.height)) << click.frame;
    }
    long long same = 0;
    for (std::size_t i = 0; i < damaged.size(); ++i) same += out.floats[i] == damaged[i];
    EXPECT_GT(static_cast<double>(same), 0.99 * static_cast<double>(damaged.size()));

    for (std::size_t i = 0; i < damaged.size(); ++i) {
        ASSERT_EQ(removed.doubles[i], static_cast<double>(damaged[i]) - static_cast<double>(out.floats[i]))
            << "sample " << i;
    }
    const std::string report = readText(folder.path("r.json"));
    EXPECT_NE(report.find("\"method\":\"restore\",\"threshold\":7,"), std::string::npos) << report;
    EXPECT_NE(report.find("SarnovelliteRestore.so"), std::string::npos) << report;
}

// Settings in the table's units reach the effect: "--output removed" makes
// the written file what the default run took out.
TEST_F(RestoreMethod, SettingsReachTheEffectAndAreCheckedAgainstItsTable) {
    const long long frames = kRate;
    std::vector<float> damaged = smoothSignal(frames, 2, kRate, 43);
    for (long long f = 5000; f < frames; f += 7001) damaged[f * 2] += 0.5f;
    writeFloatFile(folder.path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, kRate, 2, damaged);
    ASSERT_EQ(runCli({"-q", "-m", "restore", folder.path("in.wav"), folder.path("restored.wav")}).exitStatus,
              0);
    const CliRun removedRun = runCli({"-q", "-m", "restore", "--output", "removed", "--threshold", "7",
                                      folder.path("in.wav"), folder.path("removed.wav")});
    ASSERT_EQ(removedRun.exitStatus, 0) << removedRun.err;
    const SoundData restored = readSound(folder.path("restored.wav"));
    const SoundData removed = readSound(folder.path("removed.wav"));
    double largest = 0.0;
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        ASSERT_NEAR(restored.floats[i] + removed.floats[i], damaged[i], 1e-6) << "sample " << i;
        largest = std::max(largest, double(std::fabs(removed.floats[i])));
    }
    EXPECT_GT(largest, 0.3);

    for (const std::vector<std::string>& refused :
         {std::vector<std::string>{"-m", "restore", "--threshold", "2.9"},
          std::vector<std::string>{"-m", "restore", "--longest-click", "20.5"},
          std::vector<std::string>{"-m", "restore", "--crackle", "maybe"},
          std::vector<std::string>{"--threshold", "5"}, std::vector<std::string>{"-m", "restore", "-s", "3"},
          std::vector<std::string>{"-m", "fancy"}}) {
        std::vector<std::string> args = refused;
        args.push_back(folder.path("in.wav"));
        args.push_back(folder.path("never.wav"));
        const CliRun run = runCli(args);
        EXPECT_EQ(run.exitStatus, 2) << args[1] << " " << args[2];
        EXPECT_FALSE(std::filesystem::exists(folder.path("never.wav")));
    }
}

}  // namespace
