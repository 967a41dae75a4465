// Encodings finer than the effect's 32-bit floats: 64-bit float and 32-bit
// integer PCM. Samples the effect leaves alone must come out exactly as they
// went in, not rounded to float precision.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "audio_io/pcm16.h"
#include "tests/cli/cli_test_support.h"

namespace {

class FinePrecision : public ::testing::Test {
protected:
    void SetUp() override {
        if (realPluginPath().empty()) GTEST_SKIP() << "no Sarnovellite plug-in in this build";
    }
    ScratchFolder folder;
};

void writeDoubleFile(const std::string& path, int format, int channels,
                     const std::vector<double>& interleaved) {
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_command(file, SFC_SET_NORM_DOUBLE, nullptr, SF_FALSE);
    sf_writef_double(file, interleaved.data(), static_cast<sf_count_t>(interleaved.size() / channels));
    sf_close(file);
}

// Raw values: unit-scale doubles for float encodings, integers for PCM.
std::vector<double> readDoubles(const std::string& path, SF_INFO& info) {
    info = SF_INFO{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) return {};
    sf_command(file, SFC_SET_NORM_DOUBLE, nullptr, SF_FALSE);
    std::vector<double> samples(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_double(file, samples.data(), info.frames);
    sf_close(file);
    return samples;
}

// The smooth test signal with detail below float resolution added to every
// sample, so rounding to float would change each one.
std::vector<double> fineSignal(std::int64_t frames, int channels, unsigned seed) {
    const std::vector<float> coarse = smoothSignal(frames, channels, 44100, seed);
    std::vector<double> fine(coarse.size());
    for (std::size_t i = 0; i < coarse.size(); ++i)
        fine[i] = coarse[i] + 1e-9 * std::sin(0.37 * static_cast<double>(i));
    return fine;
}

// The N of "N samples changed" in the summary line, or -1.
std::int64_t changedSamplesInSummary(const std::string& out) {
    const std::size_t words = out.find(" samples changed");
    if (words == std::string::npos) return -1;
    std::size_t start = words;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(out[start - 1]))) --start;
    return start == words ? -1 : std::stoll(out.substr(start, words - start));
}

TEST_F(FinePrecision, ClickFreeDoubleAndInt32FilesComeOutBitIdentical) {
    const std::int64_t frames = 44100 + 321;
    struct Case {
        const char* name;
        int format;
        double scale;  // unit signal to raw values
    };
    const Case cases[] = {
        {"double.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 1.0},
        {"pcm32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 2147483648.0},
        {"double.aiff", SF_FORMAT_AIFF | SF_FORMAT_DOUBLE, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> signal = fineSignal(frames, 2, 5);
        for (double& s : signal) s = c.scale == 1.0 ? s : std::round(s * c.scale);
        const std::string in = folder.path(c.name), out = folder.path(std::string("out-") + c.name);
        writeDoubleFile(in, c.format, 2, signal);
        const CliRun run = runCli({"-q", in, out});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        SF_INFO before{}, after{};
        const std::vector<double> original = readDoubles(in, before);
        const std::vector<double> processed = readDoubles(out, after);
        EXPECT_EQ(after.format, before.format);
        ASSERT_EQ(after.frames, frames);
        EXPECT_EQ(processed, original);
    }
}

TEST_F(FinePrecision, OnlyTheSamplesCountedAsChangedDifferInADoubleFileWithClicks) {
    const std::int64_t frames = 3 * 44100;
    std::vector<double> signal = fineSignal(frames, 2, 9);
    for (std::int64_t at : {20000, 61111, 100003}) signal[static_cast<std::size_t>(at * 2)] += 0.7;
    const std::string in = folder.path("clicks.wav"), out = folder.path("out.wav");
    writeDoubleFile(in, SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 2, signal);
    const CliRun run = runCli({in, out});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    SF_INFO before{}, after{};
    const std::vector<double> original = readDoubles(in, before);
    const std::vector<double> processed = readDoubles(out, after);
    ASSERT_EQ(processed.size(), original.size());
    std::int64_t differing = 0;
    for (std::size_t i = 0; i < original.size(); ++i) differing += processed[i] != original[i];
    const std::int64_t counted = changedSamplesInSummary(run.out);
    EXPECT_GT(counted, 0) << run.out;
    EXPECT_EQ(differing, counted);
    // The clicks themselves are gone.
    for (std::int64_t at : {20000, 61111, 100003}) {
        EXPECT_LT(std::fabs(processed[static_cast<std::size_t>(at * 2)]), 0.65) << "click at " << at;
    }
}

// 16-bit PCM is written as the integers libsndfile stores, converted here;
// the reference is libsndfile's own conversion of the same doubles, with the
// tool's settings (no normalisation, clipping on), in every container the
// tool writes that way. Ties, values a hair either side of an integer and of
// the range ends, and values far beyond them are where conversions part.
TEST(SixteenBitPcm, StoresWhatLibsndfileStoresForTheSameDoubles) {
    std::vector<double> values = {0.0,      0.5,      1.5,         2.5,         -0.5,     -1.5,     -2.5,
                                  617.9999, 618.0001, -68.9999,    -68.0001,    32766.5,  32767.0,  32767.49,
                                  32767.5,  32768.0,  40000.0,     -32767.5,    -32768.0, -32768.5, -32769.0,
                                  -1e9,     1e9,      32767.99999, -32768.00001};
    for (double v : {1.0, -7.0, 12345.0}) {
        for (double hair : {-1.0 / 131072, 1.0 / 131072, -1.0 / 65536, 1.0 / 65536})
            values.push_back(v + hair);
    }
    std::mt19937 random(14);
    std::uniform_real_distribution<double> anywhere(-34000.0, 34000.0);
    for (int i = 0; i < 20000; ++i) values.push_back(anywhere(random));
    std::vector<short> converted(values.size()), oneByOne(values.size());
    integerUnitsToPcm16(values.data(), converted.data(), static_cast<std::int64_t>(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i) integerUnitsToPcm16(&values[i], &oneByOne[i], 1);

    ScratchFolder folder;
    for (int container : {SF_FORMAT_WAV, SF_FORMAT_WAVEX, SF_FORMAT_RF64, SF_FORMAT_W64, SF_FORMAT_AIFF,
                          SF_FORMAT_CAF, SF_FORMAT_AU}) {
        SCOPED_TRACE(container);
        const int format = container | SF_FORMAT_PCM_16;
        ASSERT_TRUE(writesAsPcm16(format));
        SF_INFO info{};
        info.samplerate = 44100;
        info.channels = 1;
        info.format = format;
        const std::string path = folder.path("reference");
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
        sf_command(file, SFC_SET_NORM_DOUBLE, nullptr, SF_FALSE);
        sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
        sf_writef_double(file, values.data(), static_cast<sf_count_t>(values.size()));
        sf_close(file);
        file = sf_open(path.c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr);
        std::vector<short> stored(values.size());
        ASSERT_EQ(sf_readf_short(file, stored.data(), info.frames), static_cast<sf_count_t>(values.size()));
        sf_close(file);
        for (std::size_t i = 0; i < values.size(); ++i) {
            ASSERT_EQ(converted[i], stored[i]) << "value " << values[i];
            ASSERT_EQ(oneByOne[i], stored[i]) << "value " << values[i] << ", alone";
        }
    }
    EXPECT_FALSE(writesAsPcm16(SF_FORMAT_FLAC | SF_FORMAT_PCM_16));
    EXPECT_FALSE(writesAsPcm16(SF_FORMAT_WAV | SF_FORMAT_PCM_24));
}

}  // namespace
