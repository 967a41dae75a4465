// Batch runs (-o FOLDER) on several threads, and what a run prints.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "tests/cli/cli_test_support.h"
#include "tests/cli/fake_plugin_paths.h"

namespace {

TEST(Batch, BatchWithTwoJobsProcessesEveryFileIntoTheFolder) {
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

TEST(Batch, QuietPrintsNothingAndTheSummaryNamesWhatWasDone) {
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
