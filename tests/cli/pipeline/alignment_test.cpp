// The host's streaming, latency compensation and channel pairing, checked
// with test effects whose output is known exactly.
#include <gtest/gtest.h>

#include "tests/cli/cli_test_support.h"
#include "tests/cli/fake_plugin_paths.h"

namespace {

// The channel the swapping effect's output channel c comes from: pairs
// (0,1), (2,3), ... swap; a last odd channel is fed to both inputs.
int swapSource(int c, int channels) {
    if (c % 2 == 0) return c + 1 < channels ? c + 1 : c;
    return c - 1;
}

TEST(Alignment, OutputIsAlignedSameLengthAndPairedForEveryChannelCountAndBlockSize) {
    ScratchFolder folder;
    const long long frames = 10007;  // not a multiple of any block size used
    for (int channels : {1, 2, 5}) {
        const std::vector<float> input = noise(frames, channels, 100 + channels);
        const std::string in = folder.path("in" + std::to_string(channels) + ".wav");
        writeFloatFile(in, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, channels, input);
        for (int block : {1, 64, 512, 4097}) {
            SCOPED_TRACE("channels " + std::to_string(channels) + ", block " + std::to_string(block));
            const std::string out = folder.path("out.wav");
            const CliRun run =
                runCli({"-q", "--plugin", kSwapDelayPlugin, "--block", std::to_string(block), in, out});
            ASSERT_EQ(run.exitStatus, 0) << run.err;
            const SoundData result = readSound(out);
            ASSERT_EQ(result.info.frames, frames);
            ASSERT_EQ(result.info.channels, channels);
            EXPECT_EQ(result.info.samplerate, 48000);
            EXPECT_EQ(result.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
            long long mismatches = 0;
            for (long long f = 0; f < frames; ++f) {
                for (int c = 0; c < channels; ++c) {
                    mismatches +=
                        result.floats[f * channels + c] != input[f * channels + swapSource(c, channels)];
                }
            }
            EXPECT_EQ(mismatches, 0);
        }
    }
}

TEST(Alignment, KeepLatencyWritesTheRawDelayedOutputOfTheInputsLength) {
    ScratchFolder folder;
    const long long frames = 3000;
    const std::vector<float> input = noise(frames, 2, 7);
    writeFloatFile(folder.path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, input);
    const CliRun run = runCli({"-q", "--keep-latency", "--plugin", kSwapDelayPlugin, "--block", "100",
                               folder.path("in.wav"), folder.path("out.wav")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const SoundData result = readSound(folder.path("out.wav"));
    ASSERT_EQ(result.info.frames, frames);
    for (long long f = 0; f < frames; ++f) {
        for (int c = 0; c < 2; ++c) {
            const float expected =
                f < kSwapDelayLatency ? 0.0f : input[(f - kSwapDelayLatency) * 2 + (1 - c)];
            ASSERT_EQ(result.floats[f * 2 + c], expected) << "frame " << f;
        }
    }
}

}  // namespace
