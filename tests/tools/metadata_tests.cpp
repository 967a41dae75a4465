// What an archive keeps beside the samples: Broadcast WAV descriptions, cue
// markers, instrument loops, channel layouts and text fields all come through.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "tests/tools/cli_test_support.h"
#include "tests/tools/fake_plugin_paths.h"

namespace {

struct SoundFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SoundFile = std::unique_ptr<SNDFILE, SoundFileCloser>;

SoundFile openForWriting(const std::string& path, int format, int channels) {
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = channels;
    info.format = format;
    return SoundFile(sf_open(path.c_str(), SFM_WRITE, &info));
}

SoundFile openForReading(const std::string& path) {
    SF_INFO info{};
    return SoundFile(sf_open(path.c_str(), SFM_READ, &info));
}

void writeSilence(SNDFILE* file, int channels, int frames) {
    const std::vector<float> silence(static_cast<std::size_t>(frames * channels), 0.0f);
    sf_writef_float(file, silence.data(), frames);
}

TEST(Metadata, BroadcastWaveCuesInstrumentAndTextSurviveTheRun) {
    ScratchFolder folder;
    const std::string in = folder.path("reel12.wav"), out = folder.path("out.wav");
    {
        SoundFile file = openForWriting(in, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2);
        ASSERT_TRUE(file);
        SF_BROADCAST_INFO_VAR(1024) bext{};
        std::strcpy(bext.description, "Side A, reel 12");
        std::strcpy(bext.originator, "Sound archive");
        std::strcpy(bext.origination_date, "1971-03-02");
        bext.time_reference_low = 123456789;
        bext.version = 1;
        const std::string history = "A=ANALOGUE,M=stereo,T=Studer A80\r\nA=PCM,F=48000,W=24,M=stereo\r\n";
        std::strcpy(bext.coding_history, history.c_str());
        bext.coding_history_size = static_cast<std::uint32_t>(history.size());
        ASSERT_EQ(sf_command(file.get(), SFC_SET_BROADCAST_INFO, &bext, sizeof bext), SF_TRUE);
        SF_CUES cues{};
        cues.cue_count = 2;
        for (std::uint32_t k = 0; k < 2; ++k) {
            cues.cue_points[k].indx = static_cast<std::int32_t>(k + 1);
            cues.cue_points[k].position = 1000 + 3000 * k;
            cues.cue_points[k].fcc_chunk = 0x61746164;  // "data"
            cues.cue_points[k].sample_offset = 1000 + 3000 * k;
        }
        ASSERT_EQ(sf_command(file.get(), SFC_SET_CUE, &cues, sizeof cues), SF_TRUE);
        SF_INSTRUMENT instrument{};
        instrument.basenote = 60;
        instrument.loop_count = 1;
        instrument.loops[0] = {SF_LOOP_FORWARD, 2000, 6000, 0};
        ASSERT_EQ(sf_command(file.get(), SFC_SET_INSTRUMENT, &instrument, sizeof instrument), SF_TRUE);
        sf_set_string(file.get(), SF_STR_TITLE, "Reel 12");
        writeSilence(file.get(), 2, 8000);
    }
    const CliRun run = runCli({"-q", "--plugin", kSwapDelayPlugin, in, out});
    ASSERT_EQ(run.exitStatus, 0) << run.err;

    SoundFile file = openForReading(out);
    ASSERT_TRUE(file);
    SF_BROADCAST_INFO_VAR(1024) bext{};
    ASSERT_EQ(sf_command(file.get(), SFC_GET_BROADCAST_INFO, &bext, sizeof bext), SF_TRUE) << "bext chunk lost";
    EXPECT_STREQ(bext.description, "Side A, reel 12");
    EXPECT_STREQ(bext.originator, "Sound archive");
    EXPECT_STREQ(bext.origination_date, "1971-03-02");
    EXPECT_EQ(bext.time_reference_low, 123456789u);
    EXPECT_NE(std::string(bext.coding_history).find("Studer A80"), std::string::npos) << bext.coding_history;
    SF_CUES cues{};
    ASSERT_EQ(sf_command(file.get(), SFC_GET_CUE, &cues, sizeof cues), SF_TRUE) << "cue markers lost";
    ASSERT_EQ(cues.cue_count, 2u);
    EXPECT_EQ(cues.cue_points[1].position, 4000u);
    EXPECT_EQ(cues.cue_points[1].sample_offset, 4000u);
    SF_INSTRUMENT instrument{};
    ASSERT_EQ(sf_command(file.get(), SFC_GET_INSTRUMENT, &instrument, sizeof instrument), SF_TRUE) << "instrument lost";
    EXPECT_EQ(instrument.basenote, 60);
    ASSERT_EQ(instrument.loop_count, 1);
    EXPECT_EQ(instrument.loops[0].start, 2000u);
    EXPECT_EQ(instrument.loops[0].end, 6000u);
    const char* title = sf_get_string(file.get(), SF_STR_TITLE);
    EXPECT_STREQ(title != nullptr ? title : "", "Reel 12");
}

// 5.1 with side speakers, which is not what a six-channel file gets by default.
TEST(Metadata, TheChannelLayoutOfASurroundFileSurvives) {
    ScratchFolder folder;
    const std::string in = folder.path("surround.wav"), out = folder.path("out.wav");
    const std::vector<int> layout = {SF_CHANNEL_MAP_LEFT,     SF_CHANNEL_MAP_RIGHT,       SF_CHANNEL_MAP_CENTER,
                                     SF_CHANNEL_MAP_LFE,      SF_CHANNEL_MAP_SIDE_LEFT,   SF_CHANNEL_MAP_SIDE_RIGHT};
    {
        SoundFile file = openForWriting(in, SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 6);
        ASSERT_TRUE(file);
        std::vector<int> map = layout;
        ASSERT_EQ(sf_command(file.get(), SFC_SET_CHANNEL_MAP_INFO, map.data(), static_cast<int>(map.size() * sizeof(int))),
                  SF_TRUE);
        writeSilence(file.get(), 6, 3000);
    }
    const CliRun run = runCli({"-q", "--plugin", kSwapDelayPlugin, in, out});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    SoundFile file = openForReading(out);
    ASSERT_TRUE(file);
    std::vector<int> map(6, -1);
    ASSERT_EQ(sf_command(file.get(), SFC_GET_CHANNEL_MAP_INFO, map.data(), static_cast<int>(map.size() * sizeof(int))),
              SF_TRUE);
    EXPECT_EQ(map, layout);
}

}  // namespace
