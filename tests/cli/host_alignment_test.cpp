// The host's streaming, latency compensation, channel pairing, integer
// handling and region report, checked with test effects whose output is known
// exactly.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <random>
#include <sstream>

#include "tests/cli/cli_test_support.h"
#include "tests/cli/fake_plugin_paths.h"

namespace {

std::vector<float> noise(long long frames, int channels, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(-0.45f, 0.45f);
    std::vector<float> samples(static_cast<std::size_t>(frames * channels));
    for (float& x : samples) x = unit(random);
    return samples;
}

// The channel the swapping effect's output channel c comes from: pairs
// (0,1), (2,3), ... swap; a last odd channel is fed to both inputs.
int swapSource(int c, int channels) {
    if (c % 2 == 0) return c + 1 < channels ? c + 1 : c;
    return c - 1;
}

TEST(HostAlignment, OutputIsAlignedSameLengthAndPairedForEveryChannelCountAndBlockSize) {
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

TEST(HostAlignment, KeepLatencyWritesTheRawDelayedOutputOfTheInputsLength) {
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

TEST(HostAlignment, IntegerFormatsClipAtFullScaleWhileFloatKeepsOvershoot) {
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

TEST(HostAlignment, AnOutputExtensionNamingAnotherContainerConvertsToIt) {
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

TEST(HostAlignment, NotANumberBecomesSilenceAndInfinityClipsInIntegerOutput) {
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

TEST(HostAlignment, AnOutputNameNearTheFileSystemLimitCanBeWritten) {
    ScratchFolder folder;
    writeFloatFile(folder.path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, noise(1000, 2, 6));
    // 250 bytes: allowed for a file name, but not with a temporary prefix and suffix around it.
    const std::string name = std::string(246, 'n') + ".wav";
    const CliRun run = runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path(name)});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(readSound(folder.path(name)).info.frames, 1000);
    EXPECT_EQ(folder.list(), (std::vector<std::string>{"in.wav", name}));
}

TEST(HostAlignment, AReplacedOutputKeepsItsPermissions) {
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
TEST(HostAlignment, StandardInputAndOutputCarryTheSameAudioAsFiles) {
    ScratchFolder folder;
    // `pipeline` names the executable CLI.
    const auto shell = [&](std::string pipeline) {
        pipeline.replace(pipeline.find("CLI "), 4, cliPath() + " -q --plugin " + kSwapDelayPlugin + " ");
        const int status =
            std::system(("bash -c 'set -o pipefail; cd " + folder.root() + " && " + pipeline + "'").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    for (const std::string ext : {".wav", ".au"}) {
        SCOPED_TRACE(ext);
        const int format = ext == ".wav" ? SF_FORMAT_WAV | SF_FORMAT_PCM_24 : SF_FORMAT_AU | SF_FORMAT_FLOAT;
        writeFloatFile(folder.path("in" + ext), format, 44100, 2, noise(30000, 2, 21));
        ASSERT_EQ(
            runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("in" + ext), folder.path("file" + ext)})
                .exitStatus,
            0);
        ASSERT_EQ(shell("cat in" + ext + " | CLI - - | cat > piped" + ext), 0);
        const SoundData file = readSound(folder.path("file" + ext)),
                        piped = readSound(folder.path("piped" + ext));
        EXPECT_EQ(piped.info.format, format);
        EXPECT_EQ(piped.ints, file.ints);
    }
    // Header-less samples need their format spelled out; they go out as WAV.
    writeFloatFile(folder.path("in.raw"), SF_FORMAT_RAW | SF_FORMAT_PCM_16, 44100, 2, noise(30000, 2, 23));
    writeFloatFile(folder.path("same.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, noise(30000, 2, 23));
    ASSERT_EQ(runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("same.wav"), folder.path("file.wav")})
                  .exitStatus,
              0);
    ASSERT_EQ(shell("cat in.raw | CLI --raw 44100:2:s16 - - | cat > piped.wav"), 0);
    EXPECT_EQ(readSound(folder.path("piped.wav")).ints, readSound(folder.path("file.wav")).ints);

    writeFloatFile(folder.path("long.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, noise(200000, 2, 22));
    EXPECT_EQ(shell("CLI long.wav - 2>/dev/null | head -c 1000 > /dev/null"), 1);
}

// A Vorbis file made at quality 8 stays near its bitrate (the library's
// default is about half), unless --quality asks for less.
TEST(HostAlignment, ALossyInputKeepsItsBitrateAndTheReencodingIsAnnounced) {
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

TEST(HostAlignment, AnMp3OutputNameWritesMp3) {
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

struct ExpectedRegion {
    int channel;
    long long start, end;
    bool operator==(const ExpectedRegion&) const = default;
};

TEST(HostAlignment, ReportListsTheChangedRunsPerChannelAsCsvAndJson) {
    ScratchFolder folder;
    const long long frames = 5000;
    const int rate = 8000;
    std::vector<float> input(frames * 2, 0.1f);
    // The marking effect zeroes samples above 0.5: isolated ones, a run with a
    // 7-sample hole (joined) and one with an 8-sample hole (kept apart).
    auto mark = [&](int channel, long long from, long long to) {
        for (long long f = from; f < to; ++f) input[f * 2 + channel] = 0.9f;
    };
    mark(0, 0, 1);
    mark(0, 1000, 1003);
    mark(0, 1010, 1012);  // hole of 7 after 1002
    mark(1, 2000, 2001);
    mark(1, 2009, 2010);  // hole of 8 after 2000
    mark(1, 4999, 5000);
    const std::vector<ExpectedRegion> expected = {
        {0, 0, 1}, {0, 1000, 1012}, {1, 2000, 2001}, {1, 2009, 2010}, {1, 4999, 5000}};
    writeFloatFile(folder.path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, rate, 2, input);

    const CliRun csvRun = runCli({"-q", "--plugin", kMarkPlugin, "--report", folder.path("r.csv"),
                                  folder.path("in.wav"), folder.path("out.wav")});
    ASSERT_EQ(csvRun.exitStatus, 0) << csvRun.err;
    std::istringstream csv(readText(folder.path("r.csv")));
    std::string line;
    std::getline(csv, line);
    EXPECT_EQ(line.rfind("# sarnovellite ", 0), 0u) << line;
    EXPECT_NE(line.find("; sensitivity 1; click gap 32; block 512; plug-in " + std::string(kMarkPlugin)),
              std::string::npos);
    std::getline(csv, line);
    EXPECT_EQ(line, "file,channel,start_sample,end_sample,start_seconds,end_seconds,status,clipped_samples");
    std::vector<ExpectedRegion> got;
    while (std::getline(csv, line)) {
        std::istringstream fields(line);
        std::string file, channel, start, end, startSeconds, endSeconds;
        std::getline(fields, file, ',');
        std::getline(fields, channel, ',');
        std::getline(fields, start, ',');
        std::getline(fields, end, ',');
        std::getline(fields, startSeconds, ',');
        std::getline(fields, endSeconds, ',');
        EXPECT_EQ(file, folder.path("in.wav"));
        EXPECT_DOUBLE_EQ(std::stod(startSeconds), std::stoll(start) / static_cast<double>(rate));
        EXPECT_DOUBLE_EQ(std::stod(endSeconds), std::stoll(end) / static_cast<double>(rate));
        EXPECT_EQ(fields.str().substr(fields.str().size() - 5), ",ok,0");
        got.push_back({std::stoi(channel), std::stoll(start), std::stoll(end)});
    }
    EXPECT_EQ(got, expected);

    const CliRun jsonRun = runCli({"-q", "--plugin", kMarkPlugin, "--report", folder.path("r.json"),
                                   folder.path("in.wav"), folder.path("out.wav")});
    ASSERT_EQ(jsonRun.exitStatus, 0) << jsonRun.err;
    const std::string json = readText(folder.path("r.json"));
    EXPECT_NE(json.find("\"sample_rate\":8000"), std::string::npos);
    EXPECT_NE(json.find("\"frames\":5000"), std::string::npos);
    std::size_t count = 0;
    for (std::size_t at = json.find("\"channel\":"); at != std::string::npos;
         at = json.find("\"channel\":", at + 1))
        ++count;
    EXPECT_EQ(count, expected.size());
    for (const ExpectedRegion& r : expected) {
        const std::string entry = "{\"channel\":" + std::to_string(r.channel) +
                                  ",\"start_sample\":" + std::to_string(r.start) +
                                  ",\"end_sample\":" + std::to_string(r.end) + ",";
        EXPECT_NE(json.find(entry), std::string::npos) << entry;
    }
}

// A batch report accounts for every file: one with repairs, one without
// any, and one that failed, with its reason.
TEST(HostAlignment, ABatchReportHasAnEntryForEveryFileWithTheVersionAndSettings) {
    ScratchFolder folder;
    std::vector<float> marked(2000, 0.1f);
    marked[700] = 0.9f;
    writeFloatFile(folder.path("marked.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 8000, 2, marked);
    writeFloatFile(folder.path("clean.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 8000, 2,
                   std::vector<float>(2000, 0.1f));
    for (const std::string report : {"r.csv", "r.json"}) {
        const CliRun run = runCli({"-q", "-s", "4", "--plugin", kMarkPlugin, "--report", folder.path(report),
                                   "-o", folder.path("out"), folder.path("marked.wav"),
                                   folder.path("absent.wav"), folder.path("clean.wav")});
        EXPECT_EQ(run.exitStatus, 3) << run.err;
        const std::string text = readText(folder.path(report));
        if (report == "r.csv") {
            EXPECT_NE(text.find("\n" + folder.path("marked.wav") + ",0,350,351,0.043750,0.043875,ok,0\n"),
                      std::string::npos);
            EXPECT_NE(text.find("\n" + folder.path("absent.wav") + ",,,,,,failed: input " +
                                folder.path("absent.wav") + ": no such file,\n"),
                      std::string::npos);
            EXPECT_NE(text.find("\n" + folder.path("clean.wav") + ",,,,,,ok,0\n"), std::string::npos);
        } else {
            EXPECT_NE(text.find("\"settings\":{\"sensitivity\":4,\"click_gap\":32,"), std::string::npos);
            EXPECT_NE(text.find("\"status\":\"failed\",\"error\":\"input " + folder.path("absent.wav") +
                                ": no such file\""),
                      std::string::npos);
            EXPECT_NE(text.find("\"output\":\"" + folder.path("out/clean.wav") + "\",\"status\":\"ok\""),
                      std::string::npos);
        }
        EXPECT_TRUE(text.rfind("{\"version\":\"", 0) == 0 || text.rfind("# sarnovellite ", 0) == 0) << text;
    }
}

TEST(HostAlignment, BatchWithTwoJobsProcessesEveryFileIntoTheFolder) {
    ScratchFolder folder;
    // The output folder is created, and a file named twice is processed once.
    std::vector<std::string> args = {
        "-j", "2", "--plugin", kSwapDelayPlugin, "-o", folder.path("out/new"), folder.path("f0.wav")};
    std::vector<std::vector<float>> inputs;
    for (int i = 0; i < 5; ++i) {
        inputs.push_back(noise(2000 + 1500 * i, 2, 40 + i));
        const std::string name = folder.path("f" + std::to_string(i) + ".wav");
        writeFloatFile(name, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, inputs.back());
        args.push_back(name);
    }
    const CliRun run = runCli(args);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 6) << run.out;
    EXPECT_NE(run.out.find("\n6 files: 5 done, 0 failed, 1 skipped; "), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("f0.wav is named more than once; processed once"), std::string::npos) << run.err;
    for (int i = 0; i < 5; ++i) {
        const SoundData result = readSound(folder.path("out/new/f" + std::to_string(i) + ".wav"));
        ASSERT_EQ(result.floats.size(), inputs[i].size());
        for (std::size_t k = 0; k < result.floats.size(); ++k) {
            ASSERT_EQ(result.floats[k], inputs[i][k ^ 1]) << "file " << i << " sample " << k;
        }
    }
    // Nothing else, in particular no temporary file, is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path("out/new")), {}), 5);
}

TEST(HostAlignment, QuietPrintsNothingAndTheSummaryNamesWhatWasDone) {
    ScratchFolder folder;
    writeFloatFile(folder.path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, noise(1000, 2, 3));
    const CliRun quiet =
        runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("a.wav")});
    ASSERT_EQ(quiet.exitStatus, 0);
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(quiet.err, "");
    const CliRun loud = runCli({"--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("b.wav")});
    ASSERT_EQ(loud.exitStatus, 0);
    EXPECT_NE(loud.out.find("2000 samples changed"), std::string::npos) << loud.out;
    EXPECT_EQ(loud.err, "") << "no progress bar when stderr is not a terminal";
}

}  // namespace
