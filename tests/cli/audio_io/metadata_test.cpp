// What an archive keeps beside the samples: Broadcast WAV descriptions, cue
// markers, instrument loops, channel layouts and text fields all come through.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "tests/cli/cli_test_support.h"
#include "tests/cli/fake_plugin_paths.h"

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
    ASSERT_EQ(sf_command(file.get(), SFC_GET_BROADCAST_INFO, &bext, sizeof bext), SF_TRUE)
        << "bext chunk lost";
    EXPECT_STREQ(bext.description, "Side A, reel 12");
    EXPECT_STREQ(bext.originator, "Sound archive");
    EXPECT_STREQ(bext.origination_date, "1971-03-02");
    EXPECT_EQ(bext.time_reference_low, 123456789u);
    // The history kept, and this run recorded as one more line (libsndfile
    // adds a line of its own each time it writes one).
    const std::string history = bext.coding_history;
    EXPECT_EQ(history.rfind("A=ANALOGUE,M=stereo,T=Studer A80\r\nA=PCM,F=48000,W=24,M=stereo\r\n", 0), 0u)
        << history;
    const std::size_t ours = history.find("\r\nA=PCM,F=48000,W=24,M=stereo,T=sarnovellite ");
    ASSERT_NE(ours, std::string::npos) << history;
    EXPECT_EQ(history.find("T=sarnovellite", ours + 40), std::string::npos) << history;
    const std::string line = history.substr(ours + 2, history.find("\r\n", ours + 2) - ours - 2);
    const std::string settings = " click removal; sensitivity 1; click gap 32";
    EXPECT_EQ(line.substr(line.size() - settings.size()), settings) << line;
    SF_CUES cues{};
    ASSERT_EQ(sf_command(file.get(), SFC_GET_CUE, &cues, sizeof cues), SF_TRUE) << "cue markers lost";
    ASSERT_EQ(cues.cue_count, 2u);
    EXPECT_EQ(cues.cue_points[1].position, 4000u);
    EXPECT_EQ(cues.cue_points[1].sample_offset, 4000u);
    SF_INSTRUMENT instrument{};
    ASSERT_EQ(sf_command(file.get(), SFC_GET_INSTRUMENT, &instrument, sizeof instrument), SF_TRUE)
        << "instrument lost";
    EXPECT_EQ(instrument.basenote, 60);
    ASSERT_EQ(instrument.loop_count, 1);
    EXPECT_EQ(instrument.loops[0].start, 2000u);
    EXPECT_EQ(instrument.loops[0].end, 6000u);
    const char* title = sf_get_string(file.get(), SF_STR_TITLE);
    EXPECT_STREQ(title != nullptr ? title : "", "Reel 12");
}

// Chunks libsndfile does not interpret (iXML, cue labels in LIST adtl) are
// copied into a WAV output; a FLAC output cannot hold them and says so.
TEST(Metadata, UninterpretedChunksAreCopiedOrNamedAsNotCarried) {
    ScratchFolder folder;
    const std::string in = folder.path("take.wav");
    const std::string ixml = "<BWFXML><PROJECT>Reel 12</PROJECT></BWFXML>\n";  // even: no pad byte
    const std::string labels = std::string("adtllabl\x0c\0\0\0\x01\0\0\0Side A\0\0", 24);
    {
        SoundFile file = openForWriting(in, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2);
        ASSERT_TRUE(file);
        for (const auto& [id, body] : {std::pair{"iXML", ixml}, std::pair{"LIST", labels}}) {
            SF_CHUNK_INFO chunk{};
            std::strcpy(chunk.id, id);
            chunk.id_size = 4;
            chunk.datalen = static_cast<unsigned>(body.size());
            chunk.data = const_cast<char*>(body.data());
            ASSERT_EQ(sf_set_chunk(file.get(), &chunk), SF_ERR_NO_ERROR);
        }
        writeSilence(file.get(), 2, 1000);
    }
    const CliRun toWav = runCli({"-q", "--plugin", kSwapDelayPlugin, in, folder.path("out.wav")});
    ASSERT_EQ(toWav.exitStatus, 0) << toWav.err;
    EXPECT_EQ(toWav.err, "");
    SoundFile file = openForReading(folder.path("out.wav"));
    std::map<std::string, std::string> chunks;
    for (SF_CHUNK_ITERATOR* it = sf_get_chunk_iterator(file.get(), nullptr); it;
         it = sf_next_chunk_iterator(it)) {
        SF_CHUNK_INFO chunk{};
        sf_get_chunk_size(it, &chunk);
        std::string body(chunk.datalen, '\0');
        chunk.data = body.data();
        sf_get_chunk_data(it, &chunk);
        chunks[std::string(chunk.id, 4)] = body;
    }
    EXPECT_EQ(chunks["iXML"], ixml);
    EXPECT_EQ(chunks["LIST"], labels);
    const CliRun toFlac = runCli({"-q", "--plugin", kSwapDelayPlugin, in, folder.path("out.flac")});
    ASSERT_EQ(toFlac.exitStatus, 0) << toFlac.err;
    EXPECT_EQ(toFlac.err, "sarnovellite: warning: output " + folder.path("out.flac") +
                              ": cannot carry over from " + in + ": iXML chunk, LIST adtl chunk\n");
}

// A FLAC metadata block: header (last flag, type, 24-bit length) and body.
std::string flacBlock(int type, bool last, const std::string& body) {
    const auto length = static_cast<unsigned>(body.size());
    return std::string{static_cast<char>((last ? 0x80 : 0) | type), static_cast<char>(length >> 16),
                       static_cast<char>(length >> 8), static_cast<char>(length)} +
           body;
}

std::string little32(std::uint32_t value) {
    return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
            static_cast<char>(value >> 24)};
}

// Cover art and comments libsndfile has no field for are named, not lost unseen.
TEST(Metadata, AFlacPictureAndUnknownCommentsAreNamedAsNotCarried) {
    ScratchFolder folder;
    const std::string in = folder.path("side.flac");
    writeFloatFile(in, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, std::vector<float>(2000, 0.25f));
    std::string flac = readText(in);
    const bool streamInfoWasLast = (flac[4] & 0x80) != 0;
    flac[4] = static_cast<char>(flac[4] & 0x7F);
    const std::string comment = "REPLAYGAIN_TRACK_GAIN=-3.1 dB", title = "TITLE=Side A";
    const std::string comments = little32(4) + "test" + little32(2) +
                                 little32(static_cast<std::uint32_t>(title.size())) + title +
                                 little32(static_cast<std::uint32_t>(comment.size())) + comment;
    // Front cover, "image/png", no description, 1x1x24, no palette, 4 bytes of data (all big-endian).
    const std::string picture = std::string(
        "\0\0\0\x03\0\0\0\x09image/png\0\0\0\0\0\0\0\x01\0\0\0\x01\0\0\0\x18"
        "\0\0\0\0\0\0\0\x04pngs",
        45);
    flac.insert(42, flacBlock(6, false, picture) + flacBlock(4, streamInfoWasLast, comments));
    writeText(in, flac);
    const CliRun run = runCli({"-q", "--plugin", kSwapDelayPlugin, in, folder.path("out.flac")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "sarnovellite: warning: output " + folder.path("out.flac") +
                           ": cannot carry over from " + in +
                           ": FLAC picture, comment REPLAYGAIN_TRACK_GAIN\n");
    SoundFile out = openForReading(folder.path("out.flac"));
    const char* kept = sf_get_string(out.get(), SF_STR_TITLE);
    EXPECT_STREQ(kept != nullptr ? kept : "", "Side A");
}

// 5.1 with side speakers, which is not what a six-channel file gets by default.
TEST(Metadata, TheChannelLayoutOfASurroundFileSurvives) {
    ScratchFolder folder;
    const std::string in = folder.path("surround.wav"), out = folder.path("out.wav");
    const std::vector<int> layout = {SF_CHANNEL_MAP_LEFT,      SF_CHANNEL_MAP_RIGHT,
                                     SF_CHANNEL_MAP_CENTER,    SF_CHANNEL_MAP_LFE,
                                     SF_CHANNEL_MAP_SIDE_LEFT, SF_CHANNEL_MAP_SIDE_RIGHT};
    {
        SoundFile file = openForWriting(in, SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 6);
        ASSERT_TRUE(file);
        std::vector<int> map = layout;
        ASSERT_EQ(sf_command(file.get(), SFC_SET_CHANNEL_MAP_INFO, map.data(),
                             static_cast<int>(map.size() * sizeof(int))),
                  SF_TRUE);
        writeSilence(file.get(), 6, 3000);
    }
    const CliRun run = runCli({"-q", "--plugin", kSwapDelayPlugin, in, out});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    SoundFile file = openForReading(out);
    ASSERT_TRUE(file);
    std::vector<int> map(6, -1);
    ASSERT_EQ(sf_command(file.get(), SFC_GET_CHANNEL_MAP_INFO, map.data(),
                         static_cast<int>(map.size() * sizeof(int))),
              SF_TRUE);
    EXPECT_EQ(map, layout);
}

}  // namespace
