// What the written file is: integer clipping and float overshoot, a container
// named by the output's extension, non-finite samples, long names, kept
// permissions, and lossy files (bitrate kept, re-encoding announced).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <random>

#include "tests/cli/cli_test_support.h"
#include "tests/cli/fake_plugin_paths.h"

namespace {

TEST(OutputFormats, IntegerFormatsClipAtFullScaleWhileFloatKeepsOvershoot) {
    ScratchFolder folder;
    const int frames = 4000;
    std::mt19937 random(5);
    for (int bits : {16, 24}) {
        SCOPED_TRACE(bits);
        const int shift = 32 - bits;
        const long long top = (1LL << (bits - 1)) - 1, bottom = -(1LL << (bits - 1));
        std::uniform_int_distribution<long long> value(bottom, top);
        std::vector<int> input(static_cast<std::size_t>(frames) * 2);
        for (int& x : input) x = static_cast<int>(value(random) * (1LL << shift));
        const int format = SF_FORMAT_WAV | (bits == 16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24);
        writeIntFile(folder.path("in.wav"), format, 44100, 2, input);
        const CliRun run =
            runCli({"-q", "--plugin", kGainPlugin, folder.path("in.wav"), folder.path("out.wav")});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        const SoundData result = readSound(folder.path("out.wav"));
        ASSERT_EQ(result.info.frames, frames);
        EXPECT_EQ(result.info.format, format);
        long long clipped = 0;
        for (std::size_t i = 0; i < input.size(); ++i) {
            const long long original = input[i] / (1LL << shift);
            const long long expected = std::clamp(4 * original, bottom, top);
            clipped += expected != 4 * original;
            ASSERT_EQ(result.ints[i] / (1LL << shift), expected) << "sample " << i << " of " << original;
        }
        EXPECT_NE(run.err.find(": " + std::to_string(clipped) + " samples beyond full scale were clipped"),
                  std::string::npos)
            << run.err;
    }
    const std::vector<float> loud(200, 0.75f);
    writeFloatFile(folder.path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, loud);
    ASSERT_EQ(
        runCli({"-q", "--plugin", kGainPlugin, folder.path("in.wav"), folder.path("out.wav")}).exitStatus, 0);
    for (float x : readSound(folder.path("out.wav")).floats) ASSERT_EQ(x, 3.0f);
    // Float overshoot converted to an integer format clips, and says so.
    const CliRun toFlac = runCli({"--plugin", kGainPlugin, "--report", folder.path("r.json"),
                                  folder.path("in.wav"), folder.path("out.flac")});
    ASSERT_EQ(toFlac.exitStatus, 0) << toFlac.err;
    EXPECT_NE(toFlac.out.find("; 200 samples clipped"), std::string::npos) << toFlac.out;
    EXPECT_NE(readText(folder.path("r.json")).find("\"clipped_samples\":200,"), std::string::npos);
    EXPECT_EQ(std::count(toFlac.err.begin(), toFlac.err.end(), '\n'), 1) << toFlac.err;
    // Float input goes to 24-bit FLAC; half a step beyond the top, rounding
    // to even decides (floats near full scale hold no finer steps).
    std::vector<float> ties;
    long long tiesClipped = 0;
    for (double level : {8388607.5, 8388606.5, 8388607.0, -8388608.0, -8388609.0, 8388609.0}) {
        ties.push_back(static_cast<float>(level / 4 / 8388608));
        tiesClipped += std::nearbyint(level) > 8388607 || std::nearbyint(level) < -8388608;
    }
    writeFloatFile(folder.path("ties.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, ties);
    const CliRun tiesRun =
        runCli({"--plugin", kGainPlugin, folder.path("ties.wav"), folder.path("ties.flac")});
    ASSERT_EQ(readSound(folder.path("ties.flac")).info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_24);
    EXPECT_NE(tiesRun.out.find("; " + std::to_string(tiesClipped) + " samples clipped"), std::string::npos)
        << tiesRun.out;
}

TEST(OutputFormats, AnOutputExtensionNamingAnotherContainerConvertsToIt) {
    ScratchFolder folder;
    const int frames = 3000;
    std::mt19937 random(8);
    std::uniform_int_distribution<int> value(-32768, 32767);
    std::vector<int> input(static_cast<std::size_t>(frames) * 2);
    for (int& x : input) x = value(random) * 65536;
    writeIntFile(folder.path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, input);
    ASSERT_EQ(runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("out.aiff")})
                  .exitStatus,
              0);
    const SoundData aiff = readSound(folder.path("out.aiff"));
    EXPECT_EQ(aiff.info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_AIFF);
    EXPECT_EQ(aiff.info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_16);
    ASSERT_EQ(aiff.ints.size(), input.size());
    for (std::size_t i = 0; i < input.size(); ++i) ASSERT_EQ(aiff.ints[i], input[i ^ 1]) << i;

    const std::vector<float> floats = noise(frames, 2, 9);
    writeFloatFile(folder.path("f.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, floats);
    ASSERT_EQ(
        runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("f.wav"), folder.path("f.flac")}).exitStatus,
        0);
    const SoundData flac = readSound(folder.path("f.flac"));
    EXPECT_EQ(flac.info.format,
              SF_FORMAT_FLAC | SF_FORMAT_PCM_24);  // FLAC holds no floats: the nearest depth
    for (std::size_t i = 0; i < floats.size(); ++i)
        ASSERT_NEAR(flac.floats[i], floats[i ^ 1], 1.0 / (1 << 23)) << i;

    // RF64, the WAV that outgrew 4 GiB, is kept under its usual .wav name.
    writeIntFile(folder.path("long.wav"), SF_FORMAT_RF64 | SF_FORMAT_PCM_24, 44100, 2, input);
    ASSERT_EQ(
        runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("long.wav"), folder.path("long-out.wav")})
            .exitStatus,
        0);
    EXPECT_EQ(readSound(folder.path("long-out.wav")).info.format, SF_FORMAT_RF64 | SF_FORMAT_PCM_24);

    // An extension that names no container keeps the input's format.
    ASSERT_EQ(
        runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("f.wav"), folder.path("f.bak")}).exitStatus,
        0);
    EXPECT_EQ(readSound(folder.path("f.bak")).info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
}

TEST(OutputFormats, NotANumberBecomesSilenceAndInfinityClipsInIntegerOutput) {
    ScratchFolder folder;
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<float> input = {0.25f, nan, inf, -inf, 0.5f, -nan, 2.0f, -0.125f};
    writeFloatFile(folder.path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 1, input);
    const CliRun run =
        runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("out.flac")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const SoundData out = readSound(folder.path("out.flac"));
    ASSERT_EQ(out.info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    const int top = 0x7FFFFF << 8, bottom = -0x800000 * 256;
    // Not a full-scale click where a sample was not a number.
    const std::vector<int> expected = {0x200000 << 8, 0, top, bottom, 0x400000 << 8, 0, top, -0x100000 * 256};
    EXPECT_EQ(out.ints, expected);
}

TEST(OutputFormats, AnOutputNameNearTheFileSystemLimitCanBeWritten) {
    ScratchFolder folder;
    writeFloatFile(folder.path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, noise(1000, 2, 6));
    // 250 bytes: allowed for a file name, but not with a temporary prefix and suffix around it.
    const std::string name = std::string(246, 'n') + ".wav";
    const CliRun run = runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path(name)});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(readSound(folder.path(name)).info.frames, 1000);
    EXPECT_EQ(folder.list(), (std::vector<std::string>{"in.wav", name}));
}

TEST(OutputFormats, AReplacedOutputKeepsItsPermissions) {
    ScratchFolder folder;
    writeFloatFile(folder.path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, noise(1000, 2, 7));
    writeText(folder.path("out.wav"), "older take");
    namespace fs = std::filesystem;
    const fs::perms shared =
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write;
    fs::permissions(folder.path("out.wav"), shared);
    ASSERT_EQ(runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("out.wav")})
                  .exitStatus,
              0);
    EXPECT_EQ(readSound(folder.path("out.wav")).info.frames, 1000);
    EXPECT_EQ(fs::status(folder.path("out.wav")).permissions(), shared);
}

// `cat in | sarnovellite - - | cat > out` gives the samples the file paths
// give; a pipe closed early is a failure, not a success.

TEST(OutputFormats, ALossyInputKeepsItsBitrateAndTheReencodingIsAnnounced) {
    ScratchFolder folder;
    {
        SF_INFO info{};
        info.samplerate = 44100;
        info.channels = 2;
        info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        SNDFILE* file = sf_open(folder.path("in.ogg").c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr);
        double level = 0.2;
        sf_command(file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
        std::vector<float> music = noise(88200, 2, 9);
        for (float& x : music) x *= 0.3f;
        sf_writef_float(file, music.data(), 88200);
        sf_close(file);
    }
    const auto size = [&](const std::string& name) {
        return static_cast<double>(std::filesystem::file_size(folder.path(name)));
    };
    const CliRun run = runCli({"--plugin", kSwapDelayPlugin, folder.path("in.ogg"), folder.path("out.ogg")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.err.find("re-encoded, so every sample changes"), std::string::npos) << run.err;
    EXPECT_NEAR(size("out.ogg") / size("in.ogg"), 1.0, 0.3);
    ASSERT_EQ(runCli({"-q", "--quality", "2", "--plugin", kSwapDelayPlugin, folder.path("in.ogg"),
                      folder.path("low.ogg")})
                  .exitStatus,
              0);
    EXPECT_LT(size("low.ogg") / size("in.ogg"), 0.6);
}

TEST(OutputFormats, AnMp3OutputNameWritesMp3) {
    SF_INFO probe{};
    probe.samplerate = 44100;
    probe.channels = 2;
    probe.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    if (!sf_format_check(&probe)) GTEST_SKIP() << "this libsndfile writes no MP3";
    ScratchFolder folder;
    writeFloatFile(folder.path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, noise(20000, 2, 4));
    const CliRun run =
        runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("out.mp3")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    // Not WAV data under an .mp3 name, which players would refuse.
    EXPECT_EQ(readSound(folder.path("out.mp3")).info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_MPEG);

    // And back: decoded MP3 goes into WAV as float, the nearest encoding.
    const CliRun back =
        runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("out.mp3"), folder.path("back.wav")});
    ASSERT_EQ(back.exitStatus, 0) << back.err;
    EXPECT_EQ(readSound(folder.path("back.wav")).info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
}

}  // namespace
