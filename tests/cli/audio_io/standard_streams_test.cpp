// Audio through standard input and output, compared with the same audio
// through files.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

#include "tests/cli/cli_test_support.h"
#include "tests/cli/fake_plugin_paths.h"

namespace {

TEST(StandardStreams, StandardInputAndOutputCarryTheSameAudioAsFiles) {
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

}  // namespace
