// End to end with the bundled effect, found by the executable on its own.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "tests/cli/cli_test_support.h"

namespace {

class RealPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        if (realPluginPath().empty()) GTEST_SKIP() << "no Sarnovellite plug-in in this build";
    }
    ScratchFolder folder;
};

// Quantises a float signal to left-justified integers of `bits` bits.
std::vector<int> toInts(const std::vector<float>& samples, int bits) {
    std::vector<int> ints(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        ints[i] = static_cast<int>(std::lrint(samples[i] * std::ldexp(1.0, bits - 1))) * (1 << (32 - bits));
    }
    return ints;
}

TEST_F(RealPlugin, ClickFreeMaterialComesOutBitIdenticalInEveryFormat) {
    struct Case {
        const char* name;
        int format;
        int channels;
        int bits;  // 0: float
    };
    const Case cases[] = {
        {"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 0},
        {"pcm16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 16},
        {"pcm24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 5, 24},
        {"pcm16.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, 16},
        {"pcm24.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 2, 24},
    };
    const long long frames = 2 * 44100 + 123;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<float> signal = smoothSignal(frames, c.channels, 44100, 11);
        const std::string in = folder.path(c.name), out = folder.path(std::string("out-") + c.name);
        if (c.bits == 0) {
            writeFloatFile(in, c.format, 44100, c.channels, signal);
        } else {
            writeIntFile(in, c.format, 44100, c.channels, toInts(signal, c.bits));
        }
        const CliRun run = runCli({"-q", in, out});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        const SoundData before = readSound(in), after = readSound(out);
        EXPECT_EQ(after.info.format, before.info.format);
        EXPECT_EQ(after.info.channels, before.info.channels);
        EXPECT_EQ(after.info.samplerate, before.info.samplerate);
        ASSERT_EQ(after.info.frames, frames);
        if (c.bits == 0) {
            EXPECT_EQ(after.floats, before.floats);
        } else {
            EXPECT_EQ(after.ints, before.ints);
        }
    }
}

TEST_F(RealPlugin, EveryHostBlockSizeGivesTheSameIdenticalOutput) {
    const long long frames = 44100 + 77;
    const std::vector<float> signal = smoothSignal(frames, 2, 44100, 21);
    writeFloatFile(folder.path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, signal);
    for (int block : {1, 64, 512, 4097}) {
        SCOPED_TRACE(block);
        const CliRun run =
            runCli({"-q", "--block", std::to_string(block), folder.path("in.wav"), folder.path("out.wav")});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(readSound(folder.path("out.wav")).floats, signal);
    }
}

TEST_F(RealPlugin, ClicksAreRepairedAtTheirPlaceAndEverythingElseIsUntouched) {
    const int rate = 44100;
    const long long frames = 3 * rate;
    const std::vector<float> clean = smoothSignal(frames, 2, rate, 31);
    std::vector<float> damaged = clean;
    struct Click {
        long long frame;
        int channel;
        float height;
    };
    std::vector<Click> clicks;
    for (int k = 0; k < 12; ++k) {
        clicks.push_back({10000 + k * 10007LL, k % 2, (k % 3 == 0 ? -0.8f : 0.7f)});
        damaged[clicks.back().frame * 2 + clicks.back().channel] += clicks.back().height;
    }
    writeFloatFile(folder.path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, rate, 2, damaged);
    const CliRun run =
        runCli({"-q", "--report", folder.path("r.csv"), folder.path("in.wav"), folder.path("out.wav")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const SoundData out = readSound(folder.path("out.wav"));
    ASSERT_EQ(out.info.frames, frames);

    for (const Click& click : clicks) {
        const std::size_t i = click.frame * 2 + click.channel;
        EXPECT_LT(std::fabs(out.floats[i] - clean[i]), 0.2f * std::fabs(click.height))
            << "click at " << click.frame;
    }
    long long untouchedMismatches = 0;
    for (long long f = 0; f < frames; ++f) {
        bool nearClick = false;
        for (const Click& click : clicks) nearClick |= std::llabs(f - click.frame) < 512;
        if (nearClick) continue;
        untouchedMismatches += out.floats[f * 2] != damaged[f * 2];
        untouchedMismatches += out.floats[f * 2 + 1] != damaged[f * 2 + 1];
    }
    EXPECT_EQ(untouchedMismatches, 0) << "output shifted or changed away from the clicks";

    std::istringstream csv(readText(folder.path("r.csv")));
    std::string line;
    std::getline(csv, line);  // version and settings
    std::getline(csv, line);  // column names
    std::vector<std::array<long long, 3>> regions;
    while (std::getline(csv, line)) {
        std::istringstream fields(line);
        std::string field;
        std::array<long long, 3> r{};
        std::getline(fields, field, ',');
        for (long long& value : r) {
            std::getline(fields, field, ',');
            value = std::stoll(field);
        }
        regions.push_back(r);
    }
    for (const Click& click : clicks) {
        bool covered = false;
        for (const auto& r : regions)
            covered |= r[0] == click.channel && r[1] <= click.frame && click.frame < r[2];
        EXPECT_TRUE(covered) << "no region covers the click at " << click.frame;
    }
}

TEST_F(RealPlugin, AFileCutMidSoundKeepsItsLastSamples) {
    // Tracks cut from a longer recording end at full swing. The file's end is
    // no click, and nothing the host appends to flush the effect may make it one.
    const std::vector<float> recording = smoothSignal(3 * 44100, 2, 44100, 31);
    for (std::int64_t frames : {30011, 41234, 52000, 66666, 77777, 90001, 101010, 115000}) {
        SCOPED_TRACE(frames);
        const std::vector<float> track(recording.begin(), recording.begin() + frames * 2);
        writeFloatFile(folder.path("track.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, track);
        const CliRun run = runCli({"-q", folder.path("track.wav"), folder.path("out.wav")});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(readSound(folder.path("out.wav")).floats, track);
    }
}

TEST_F(RealPlugin, DemoWritesItsFilesAndImprovesTheDamagedSpans) {
    const CliRun run = runCli({"demo", folder.path("demo")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    for (const char* name : {"demo-clean.wav", "demo-damaged.wav", "demo-repaired.wav", "demo-removed.wav",
                             "demo-regions.csv", "demo-labels.txt", "demo-report.html"}) {
        EXPECT_TRUE(std::filesystem::exists(folder.path("demo/") + name)) << name;
    }
    const SoundData clean = readSound(folder.path("demo/demo-clean.wav"));
    const SoundData damaged = readSound(folder.path("demo/demo-damaged.wav"));
    const SoundData repaired = readSound(folder.path("demo/demo-repaired.wav"));
    ASSERT_EQ(repaired.info.frames, clean.info.frames);
    ASSERT_EQ(damaged.info.frames, clean.info.frames);
    // Error energy against the clean version over the samples the damage touched.
    double damagedError = 0.0, repairedError = 0.0;
    for (std::size_t i = 0; i < clean.floats.size(); ++i) {
        if (damaged.floats[i] == clean.floats[i]) continue;
        damagedError += std::pow(damaged.floats[i] - clean.floats[i], 2.0);
        repairedError += std::pow(repaired.floats[i] - clean.floats[i], 2.0);
    }
    EXPECT_GT(damagedError, 0.0);
    EXPECT_LT(repairedError, damagedError);
    for (const char* said : {"damage events added", "higher is better", "digital silence", "demo-report.html",
                             "demo-labels.txt", "demo-removed.wav"}) {
        EXPECT_NE(run.out.find(said), std::string::npos) << said << " in:\n" << run.out;
    }
}

}  // namespace
