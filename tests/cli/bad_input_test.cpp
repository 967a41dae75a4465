// Every way a run can be refused: a one-line error, the documented exit
// status, and nothing lost: no output created, an existing output untouched,
// no temporary file left behind.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <thread>

#include "tests/cli/cli_test_support.h"
#include "tests/cli/fake_plugin_paths.h"

namespace {

constexpr int kProcessingFailed = 1, kUsage = 2, kBadInput = 3, kBadOutput = 4, kBadPlugin = 5,
              kInterrupted = 130;
const std::string kPrevious = "previous output, must survive";

class BadInput : public ::testing::Test {
protected:
    void SetUp() override {
        writeFloatFile(folder.path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2,
                       smoothSignal(3000, 2, 44100, 1));
        writeText(folder.path("out.wav"), kPrevious);
    }

    // Runs, then checks the failure: status, one line on stderr naming the
    // problem, stdout empty, out.wav as before, no stray files in the folder.
    // A batch (-o) still ends with its summary line on stdout.
    void expectRefused(const std::vector<std::string>& args, int status, const std::string& mention,
                       const std::string& out = "",
                       const std::map<std::string, std::string>& environment = {}) {
        const std::vector<std::string> before = folder.list();
        const CliRun run = runCli(args, environment);
        EXPECT_EQ(run.exitStatus, status) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.err.rfind("sarnovellite: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(mention), std::string::npos) << run.err;
        EXPECT_EQ(run.out, out);
        EXPECT_EQ(readText(folder.path("out.wav")), kPrevious);
        EXPECT_EQ(folder.list(), before);
    }

    ScratchFolder folder;
};

TEST_F(BadInput, MissingUnreadableOrUnsupportedInputs) {
    expectRefused({"--plugin", kSwapDelayPlugin, folder.path("absent.wav"), folder.path("out.wav")},
                  kBadInput, "no such file");
    writeText(folder.path("text.wav"), "this is not audio at all, just text");
    expectRefused({"--plugin", kSwapDelayPlugin, folder.path("text.wav"), folder.path("out.wav")}, kBadInput,
                  "text.wav");
    std::filesystem::create_directory(folder.path("sub"));
    expectRefused({"--plugin", kSwapDelayPlugin, folder.path("sub"), folder.path("out.wav")}, kBadInput,
                  "is a folder");
}

TEST_F(BadInput, OutputEqualToTheInputIsRefusedAndTheInputKept) {
    const std::string original = readText(folder.path("in.wav"));
    expectRefused({"--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("in.wav")}, kBadOutput,
                  "is the input");
    expectRefused({"--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.root() + "/./in.wav"},
                  kBadOutput, "is the input");
    std::filesystem::create_symlink(folder.path("in.wav"), folder.path("link.wav"));
    expectRefused({"--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("link.wav")}, kBadOutput,
                  "is the input");
    EXPECT_EQ(readText(folder.path("in.wav")), original);
    // Batch into the input's own folder would overwrite it too.
    expectRefused({"--plugin", kSwapDelayPlugin, "-o", folder.root(), folder.path("in.wav")}, kBadOutput,
                  "is the input",
                  "1 file: 0 done, 1 failed, 0 skipped; 0 regions repaired, 0 samples changed\n");
    EXPECT_EQ(readText(folder.path("in.wav")), original);
}

TEST_F(BadInput, UnwritableOutputFolders) {
    expectRefused({"--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("nowhere/out.wav")},
                  kBadOutput, "nowhere");
    expectRefused({"--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("out.wav/inside.wav")},
                  kBadOutput, "out.wav");
    expectRefused({"--plugin", kSwapDelayPlugin, "-o", folder.path("out.wav/sub"), folder.path("in.wav")},
                  kBadOutput, "output folder " + folder.path("out.wav/sub") + ": cannot be created");
    std::filesystem::create_directory(folder.path("sub"));
    expectRefused({"--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("sub")}, kBadOutput,
                  "is a folder");
    // A container that cannot be written is refused, not filled with WAV data.
    expectRefused({"--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("out.M4A")}, kBadOutput,
                  "out.M4A: cannot write that container; name the output with one of .aif .aifc .aiff .au");
}

TEST_F(BadInput, AReportThatCannotBeWrittenIsRefusedBeforeAnyWork) {
    const std::string in = folder.path("in.wav"), out = folder.path("out.wav");
    expectRefused({"--plugin", kSwapDelayPlugin, "--report", folder.path("nowhere/r.csv"), in, out},
                  kBadOutput, "nowhere");
    std::filesystem::create_directory(folder.path("r.json"));
    expectRefused({"--plugin", kSwapDelayPlugin, "--report", folder.path("r.json"), in, out}, kBadOutput,
                  "is a folder");
    // The report would overwrite the audio just written under the same name.
    expectRefused(
        {"--plugin", kSwapDelayPlugin, "--report", folder.path("out.csv"), in, folder.path("out.csv")},
        kBadOutput, "would overwrite the audio file");
}

TEST_F(BadInput, PluginsThatCannotBeHosted) {
    const std::string in = folder.path("in.wav"), out = folder.path("out.wav");
    expectRefused({"--plugin", folder.path("absent.so"), in, out}, kBadPlugin, "absent.so");
    writeText(folder.path("fake.so"), "not a shared library");
    expectRefused({"--plugin", folder.path("fake.so"), in, out}, kBadPlugin, "cannot be loaded");
    expectRefused({"--plugin", kNoEntryPlugin, in, out}, kBadPlugin, "entry point");
    expectRefused({"--plugin", kNullPlugin, in, out}, kBadPlugin, "returned no effect");
    expectRefused({"--plugin", kMonoPlugin, in, out}, kBadPlugin, "an effect with 1 input and 1 output,");
}

TEST_F(BadInput, MalformedOrOutOfRangeOptions) {
    const std::string in = folder.path("in.wav"), out = folder.path("out.wav");
    const std::vector<std::vector<std::string>> cases = {
        {"-s", "0", in, out},
        {"-s", "6", in, out},
        {"--sensitivity=2.5", in, out},
        {"-g", "7", in, out},
        {"-g", "65", in, out},
        {"--click-gap", "x", in, out},
        {"--block", "0", in, out},
        {"--block", "-4", in, out},
        {"--block", "99999999999", in, out},
        {"-j", "0", in, out},
        {"--frobnicate", in, out},
        {"--report", folder.path("r.txt"), in, out},
        {in},
        {in, out, folder.path("third.wav")},
        {"-s"},
        {"-o", out, "-"},
        {"-q=1", in, out},
        {"--raw", "44100:2", in, out},
        {"--raw", "44100:2:s12", in, out},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args.front());
        expectRefused(args, kUsage, "try --help");
    }
}

TEST_F(BadInput, AnEmptyInputGivesAnEmptyOutput) {
    writeFloatFile(folder.path("empty.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, {});
    const CliRun run =
        runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("empty.wav"), folder.path("out.wav")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const SoundData out = readSound(folder.path("out.wav"));
    EXPECT_EQ(out.info.frames, 0);
    EXPECT_EQ(out.info.samplerate, 22050);
    EXPECT_EQ(out.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    // As FLAC too, which must then be readable as an input in its turn.
    for (const auto& [from, to] :
         {std::pair{"empty.wav", "empty.flac"}, std::pair{"empty.flac", "again.flac"}}) {
        const CliRun flac = runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path(from), folder.path(to)});
        ASSERT_EQ(flac.exitStatus, 0) << flac.err;
        // A FLAC stream without samples announces an unknown length.
        SF_INFO info{};
        SNDFILE* empty = sf_open(folder.path(to).c_str(), SFM_READ, &info);
        ASSERT_NE(empty, nullptr) << sf_strerror(nullptr);
        EXPECT_EQ(info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
        EXPECT_EQ(info.samplerate, 22050);
        EXPECT_EQ(info.channels, 1);
        float sample = 0.0f;
        EXPECT_EQ(sf_readf_float(empty, &sample, 1), 0);
        sf_close(empty);
    }
}

// Bytes lost in transfer or storage: a WAV cut short (its header still
// announcing the whole length) and a FLAC with bit-rot in its first sixth.
TEST_F(BadInput, ADamagedInputFailsUnlessAskedToProcessWhatCanBeRead) {
    const std::vector<float> signal = smoothSignal(20000, 2, 44100, 3);
    writeFloatFile(folder.path("cut.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, signal);
    std::filesystem::resize_file(folder.path("cut.wav"), 44 + 10000 * 4);
    writeFloatFile(folder.path("rot.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, signal);
    std::string flac = readText(folder.path("rot.flac"));
    for (std::size_t i = 0; i < 64; ++i) flac[flac.size() / 6 + i] ^= 0x5a;
    writeText(folder.path("rot.flac"), flac);
    expectRefused({"--plugin", kSwapDelayPlugin, folder.path("cut.wav"), folder.path("out.wav")},
                  kProcessingFailed, "cut.wav: damaged: read 10000 of 20000 frames");
    expectRefused({"--plugin", kSwapDelayPlugin, folder.path("rot.flac"), folder.path("out.wav")},
                  kProcessingFailed, "of 20000 frames");

    for (const std::string name : {"cut.wav", "rot.flac"}) {
        const CliRun run = runCli(
            {"--accept-damaged", "--plugin", kSwapDelayPlugin, folder.path(name), folder.path("out.wav")});
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_NE(run.err.find("warning: input " + folder.path(name) + ": damaged, read "), std::string::npos)
            << run.err;
        EXPECT_NE(run.out.find("damaged input, read "), std::string::npos) << run.out;
        const SoundData out = readSound(folder.path("out.wav"));
        EXPECT_GT(out.info.frames, 0);
        EXPECT_LT(out.info.frames, 20000);
    }
}

TEST_F(BadInput, BatchKeepsGoingAndReportsTheFirstFailure) {
    std::filesystem::create_directory(folder.path("out"));
    const CliRun run = runCli({"--plugin", kSwapDelayPlugin, "-o", folder.path("out"),
                               folder.path("absent.wav"), folder.path("in.wav")});
    EXPECT_EQ(run.exitStatus, kBadInput);
    EXPECT_NE(run.out.find("\n2 files: 1 done, 1 failed, 0 skipped; "), std::string::npos) << run.out;
    EXPECT_TRUE(std::filesystem::exists(folder.path("out/in.wav")));
    EXPECT_NE(run.err.find("absent.wav: no such file"), std::string::npos) << run.err;
    std::filesystem::create_directory(folder.path("other"));
    writeFloatFile(folder.path("other/in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 1, {0.0f});
    expectRefused({"--plugin", kSwapDelayPlugin, "-o", folder.path("out"), folder.path("in.wav"),
                   folder.path("other/in.wav")},
                  kBadInput, "both");
}

// A file whose data may not have reached the disk is not finished: the
// flush's error fails the run, the temporary file goes and the previous
// output stays.
TEST_F(BadInput, AnOutputThatCannotBeFlushedToDiskFails) {
    // The sanitizer runtimes would otherwise insist on being loaded first.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string asanOptions = std::string(asan != nullptr ? asan : "") + ":verify_asan_link_order=0";
    expectRefused({folder.path("in.wav"), folder.path("out.wav")}, kBadOutput,
                  "output " + folder.path("out.wav") + ": cannot be flushed to disk: Input/output error", "",
                  {{"LD_PRELOAD", FAILING_FSYNC_LIBRARY}, {"ASAN_OPTIONS", asanOptions}});
}

TEST_F(BadInput, AnInterruptLeavesNoPartialFileAndTheOldOutput) {
    writeFloatFile(folder.path("long.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2,
                   smoothSignal(200000, 2, 44100, 2));
    const std::vector<std::string> before = folder.list();
    ScratchFolder logs;
    // Slowed to 1 ms per block of 64 frames: about three seconds for the file.
    const int pid = startCli(
        {"--block", "64", "--plugin", kSwapDelayPlugin, folder.path("long.wav"), folder.path("out.wav")},
        {{"FAKE_PLUGIN_SLEEP_US", "1000"}}, logs.path("stderr"));
    // Wait until the temporary output exists, so the interrupt lands mid-write.
    for (int i = 0; i < 1000 && folder.list() == before; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_NE(folder.list(), before) << "no temporary output appeared";
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    kill(pid, SIGINT);
    EXPECT_EQ(waitCli(pid), kInterrupted);
    EXPECT_EQ(folder.list(), before);
    EXPECT_EQ(readText(folder.path("out.wav")), kPrevious);
    // Like every other failure: one line saying what happened.
    EXPECT_EQ(readText(logs.path("stderr")), "sarnovellite: interrupted; unfinished output removed\n");
}

// SIGKILL cannot be caught: the temporary output stays. The next run into the
// same folder names it, and leaves it alone while its run is still alive.
TEST_F(BadInput, AnOutputLeftByAKilledRunIsNamedByTheNextRun) {
    writeFloatFile(folder.path("long.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2,
                   smoothSignal(200000, 2, 44100, 2));
    const std::vector<std::string> before = folder.list();
    const std::vector<std::string> args = {
        "--block", "64", "--plugin", kSwapDelayPlugin, folder.path("long.wav"), folder.path("out.wav")};
    const int pid = startCli(args, {{"FAKE_PLUGIN_SLEEP_US", "1000"}});
    for (int i = 0; i < 1000 && folder.list() == before; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::string partial = "out.wav.sarnovellite-partial-" + std::to_string(pid) + "-";
    const CliRun whileAlive =
        runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("b.wav")});
    EXPECT_EQ(whileAlive.err, "");
    kill(pid, SIGKILL);
    EXPECT_EQ(waitCli(pid), 128 + SIGKILL);
    const std::vector<std::string> after = folder.list();
    ASSERT_EQ(std::count_if(after.begin(), after.end(),
                            [&](const std::string& n) { return n.rfind(partial, 0) == 0; }),
              1);

    const CliRun next =
        runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("c.wav")});
    EXPECT_EQ(next.exitStatus, 0) << next.err;
    EXPECT_EQ(next.err.rfind("sarnovellite: warning: " + folder.root() +
                                 " holds 1 unfinished output of a killed run, "
                                 "safe to delete: " +
                                 partial,
                             0),
              0u)
        << next.err;
    EXPECT_EQ(readText(folder.path("out.wav")), kPrevious);
}

TEST_F(BadInput, APluginCrashLeavesNoPartialFileAndTheOldOutput) {
    const std::vector<std::string> before = folder.list();
    const CliRun run =
        runCli({"--block", "16", "--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("out.wav")},
               {{"FAKE_PLUGIN_CRASH", "1"}});
    EXPECT_EQ(run.exitStatus, 128 + SIGSEGV);
    EXPECT_EQ(folder.list(), before);
    EXPECT_EQ(readText(folder.path("out.wav")), kPrevious);
}

TEST(CliHelp, HelpAndVersionSucceedAndDocumentTheExitStatus) {
    const CliRun help = runCli({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);
    EXPECT_NE(help.out.find("--click-gap"), std::string::npos);
    const CliRun version = runCli({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out.rfind("sarnovellite ", 0), 0u);
}

}  // namespace
