// Every way a run can be refused: a one-line error, the documented exit
// status, and nothing lost: no output created, an existing output untouched,
// no temporary file left behind.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "tests/cli/cli_test_support.h"
#include "tests/cli/fake_plugin_paths.h"
#include "audio_io/wav_chunks.h"

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

// Runs `command` under bash in `folder` (CLI names the executable with the
// swap-delay plug-in); returns its exit status.
int shellIn(const ScratchFolder& folder, std::string command) {
    for (std::size_t at; (at = command.find("CLI ")) != std::string::npos;)
        command.replace(at, 4, cliPath() + " --plugin " + kSwapDelayPlugin + " ");
    const int status =
        std::system(("bash -c 'set -o pipefail; cd " + folder.root() + " && { " + command + "; }'").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// True when the WAV at `path` is whole chunks to its end.
bool chunksAreWellFormed(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const WavChunkList list = listWavChunks(file, std::filesystem::file_size(path));
    return list.malformed.empty() && !list.chunks.empty();
}

void putLittle32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
}

// A file cut to 60 % in transfer, in every container whose header (or, in
// Ogg, stream) announces its length, fails; the whole file passes with every
// frame. An Ogg page with one byte changed fails its checksum.
TEST_F(BadInput, EveryContainerAccountsForItsFrames) {
    struct Case {
        const char* name;
        int format;
        int rate;
    };
    const Case cases[] = {{"a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100},
                          {"a.rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_24, 44100},
                          {"a.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 44100},
                          {"a.au", SF_FORMAT_AU | SF_FORMAT_PCM_16, 44100},
                          {"a.w64", SF_FORMAT_W64 | SF_FORMAT_PCM_16, 44100},
                          {"a.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16, 44100},
                          {"a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100},
                          {"a.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100},
                          {"a.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000},
                          {"ms.wav", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 44100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.path(c.name);
        writeFloatFile(path, c.format, c.rate, 2, smoothSignal(20000, 2, c.rate, 5));
        const SF_INFO written = readSound(path).info;
        const std::string whole = readText(path);
        const CliRun run = runCli({"-q", "--plugin", kSwapDelayPlugin, path, folder.path("whole.wav")});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(readSound(folder.path("whole.wav")).info.frames, written.frames);
        std::filesystem::remove(folder.path("whole.wav"));

        writeText(path, whole.substr(0, whole.size() * 6 / 10));
        const bool ogg = (c.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_OGG;
        expectRefused({"--plugin", kSwapDelayPlugin, path, folder.path("out.wav")}, kProcessingFailed,
                      ogg ? "is cut short" : "damaged: ");
        if (ogg) {
            std::string flipped = whole;
            flipped[flipped.size() / 2] ^= 0x20;
            writeText(path, flipped);
            expectRefused({"--plugin", kSwapDelayPlugin, path, folder.path("out.wav")}, kProcessingFailed,
                          "fails its checksum");
        }
        std::filesystem::remove(path);
    }
}

// A FLAC stream whose samples no longer match the MD5 it stores is damaged,
// even when every frame decodes.
TEST_F(BadInput, AFlacWhoseSamplesMissTheirStoredMd5IsDamaged) {
    writeFloatFile(folder.path("a.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2,
                   smoothSignal(20000, 2, 44100, 6));
    std::string flac = readText(folder.path("a.flac"));
    // The stored checksum: the last 16 bytes of STREAMINFO.
    flac[26] ^= 0x01;
    writeText(folder.path("a.flac"), flac);
    expectRefused({"--plugin", kSwapDelayPlugin, folder.path("a.flac"), folder.path("out.wav")},
                  kProcessingFailed,
                  "read 20000 of 20000 frames (its samples do not match the MD5 stored in the file)");
}

// The header of a WAV stream announces its length: a pipe that ends before
// it is damage, like a file cut short.
TEST_F(BadInput, AWavOnAPipeThatEndsMidDataIsDamaged) {
    writeFloatFile(folder.path("long.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2,
                   smoothSignal(22050, 2, 44100, 7));
    EXPECT_EQ(shellIn(folder, "head -c 50000 long.wav | CLI - out.wav 2>err.txt"), kProcessingFailed);
    EXPECT_NE(readText(folder.path("err.txt")).find("input -: damaged: read 12489 of 22050 frames"),
              std::string::npos)
        << readText(folder.path("err.txt"));
    EXPECT_EQ(readText(folder.path("out.wav")), kPrevious);
    EXPECT_EQ(shellIn(folder, "cat long.wav | CLI -q - piped.wav"), 0);
    EXPECT_EQ(readSound(folder.path("piped.wav")).info.frames, 22050);
}

// A recorder that died before filling in the data size leaves 0 (or the
// streaming 0xFFFFFFFF) in front of the audio: all of it is read, with a note.
TEST_F(BadInput, AWavWithoutItsDataSizeIsReadToTheEnd) {
    writeFloatFile(folder.path("full.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2,
                   smoothSignal(5000, 2, 44100, 8));
    const std::string whole = readText(folder.path("full.wav"));
    const std::size_t sizeAt = whole.find("data") + 4;
    for (const std::uint32_t size : {0u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(size);
        std::string unsized = whole;
        putLittle32(unsized, sizeAt, size);
        writeText(folder.path("unsized.wav"), unsized);
        const CliRun run =
            runCli({"--plugin", kSwapDelayPlugin, folder.path("unsized.wav"), folder.path("read.wav")});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.err, "sarnovellite: note: input " + folder.path("unsized.wav") +
                               ": its header gives no data length (" + (size == 0 ? "0" : "0xFFFFFFFF") +
                               "), so it is read to the end of the file\n");
        EXPECT_EQ(readSound(folder.path("read.wav")).info.frames, 5000);
        EXPECT_EQ(readText(folder.path("unsized.wav")), unsized);
    }
    // A truly empty file says 0 with nothing after: no note.
    writeFloatFile(folder.path("empty.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, {});
    const CliRun empty =
        runCli({"--plugin", kSwapDelayPlugin, folder.path("empty.wav"), folder.path("e.wav")});
    EXPECT_EQ(empty.exitStatus, 0);
    EXPECT_EQ(empty.err, "");
}

// Bytes after the audio that are no whole chunk (a chunk claiming 256 MiB
// with 2 bytes there, random bytes appended, a data chunk of one byte) are
// dropped with one warning; the output is whole chunks with every frame, and
// W64 junk never becomes audio.
TEST_F(BadInput, TrailingJunkAndCutChunksNeverReachTheOutput) {
    writeFloatFile(folder.path("clean.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2,
                   smoothSignal(3000, 2, 44100, 9));
    const std::string clean = readText(folder.path("clean.wav"));
    std::string junk;
    for (int i = 0; i < 100; ++i) junk += static_cast<char>(i * 37 + 11);
    std::string list = "LIST";
    list += std::string(4, '\0') + "ab";
    putLittle32(list, 4, 256u << 20);
    for (const std::string& tail : {list, junk}) {
        writeText(folder.path("tail.wav"), clean + tail);
        const CliRun run =
            runCli({"--plugin", kSwapDelayPlugin, folder.path("tail.wav"), folder.path("t.wav")});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find(", dropped"), std::string::npos) << run.err;
        EXPECT_TRUE(chunksAreWellFormed(folder.path("t.wav")));
        EXPECT_EQ(readSound(folder.path("t.wav")).info.frames, 3000);
    }
    std::string oneByte = clean.substr(0, clean.find("data") + 8) + "x";
    putLittle32(oneByte, oneByte.size() - 5, 1);
    writeText(folder.path("one.wav"), oneByte);
    ASSERT_EQ(
        runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("one.wav"), folder.path("o.wav")}).exitStatus,
        0);
    EXPECT_TRUE(chunksAreWellFormed(folder.path("o.wav")));
    EXPECT_EQ(readSound(folder.path("o.wav")).info.frames, 0);

    writeFloatFile(folder.path("a.w64"), SF_FORMAT_W64 | SF_FORMAT_PCM_16, 44100, 2,
                   smoothSignal(3000, 2, 44100, 9));
    writeText(folder.path("junk.w64"), readText(folder.path("a.w64")) + junk + junk);
    ASSERT_EQ(runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("junk.w64"), folder.path("w.w64")})
                  .exitStatus,
              0);
    EXPECT_EQ(readSound(folder.path("w.w64")).info.frames, 3000);
}

// Header-less samples that end in part of a frame have lost bytes.
TEST_F(BadInput, ARawInputThatIsNotWholeFramesIsDamaged) {
    writeText(folder.path("in.raw"), std::string(4 * 1000 + 3, '\0'));
    expectRefused(
        {"--raw", "44100:2:s16", "--plugin", kSwapDelayPlugin, folder.path("in.raw"), folder.path("out.wav")},
        kProcessingFailed, "read 1000 of 1000 frames (its last 3 bytes are not a whole frame of 4 bytes)");
}

// A character device, a FIFO or a link to one is written into as a pipe is,
// never replaced by a file; a block device is refused.
TEST_F(BadInput, AnOutputThatIsNotARegularFileIsWrittenNotReplaced) {
    std::filesystem::create_symlink("/dev/null", folder.path("null.wav"));
    const CliRun toNull =
        runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("null.wav")});
    EXPECT_EQ(toNull.exitStatus, 0) << toNull.err;
    EXPECT_TRUE(std::filesystem::is_symlink(folder.path("null.wav")));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    // Side files too: the report goes into the device.
    std::filesystem::create_symlink("/dev/null", folder.path("null.csv"));
    const CliRun report = runCli({"-q", "--report", folder.path("null.csv"), "--plugin", kSwapDelayPlugin,
                                  folder.path("in.wav"), folder.path("b.wav")});
    EXPECT_EQ(report.exitStatus, 0) << report.err;
    EXPECT_TRUE(std::filesystem::is_symlink(folder.path("null.csv")));

    ASSERT_EQ(mkfifo(folder.path("fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink(folder.path("fifo"), folder.path("fifo.wav"));
    EXPECT_EQ(shellIn(folder, "cat fifo > got.wav & CLI -q in.wav fifo.wav && wait $!"), 0);
    EXPECT_TRUE(std::filesystem::is_fifo(folder.path("fifo")));
    EXPECT_EQ(readSound(folder.path("got.wav")).info.frames, 3000);
    EXPECT_EQ(readSound(folder.path("got.wav")).info.channels, 2);

    std::error_code ec;
    for (const char* device : {"/dev/loop0", "/dev/sda", "/dev/vda", "/dev/nvme0n1"}) {
        if (!std::filesystem::is_block_file(device, ec)) continue;
        std::filesystem::create_symlink(device, folder.path("block.wav"));
        expectRefused({"--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("block.wav")},
                      kBadOutput, "is a block device");
        break;
    }
}

// The hosted effect is checked, not trusted: one that calls exit() or
// crashes is named in one line and leaves nothing; one that changes its
// channel counts after effOpen or mid-run is refused; a latency whose delay
// would not fit in memory is refused, saying so.
TEST_F(BadInput, AHostileOrBrokenPluginIsCaughtAndNamed) {
    const std::vector<std::string> args = {
        "--block", "16", "--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("out.wav")};
    expectRefused(args, kBadPlugin,
                  std::string("plug-in ") + kSwapDelayPlugin + " ended the process (it called exit)", "",
                  {{"FAKE_PLUGIN_EXIT", "1"}});
    expectRefused(args, kBadPlugin, "changed to 2 inputs and 1 output after being opened", "",
                  {{"FAKE_PLUGIN_SHRINK", "open"}});
    expectRefused(args, kBadPlugin, "changed to 2 inputs and 1 output while processing", "",
                  {{"FAKE_PLUGIN_SHRINK", "process"}});

    const CliRun crash = runCli(args, {{"FAKE_PLUGIN_CRASH", "1"}});
    EXPECT_EQ(crash.exitStatus, 128 + SIGSEGV);
    EXPECT_EQ(crash.err, std::string("sarnovellite: plug-in ") + kSwapDelayPlugin +
                             " crashed (SIGSEGV); unfinished output removed\n");

    // 2^24 frames of 256 channels, a double each: 32 GiB.
    writeFloatFile(folder.path("wide.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 256,
                   std::vector<float>(256 * 10, 0.0f));
    expectRefused(
        {"--plugin", kSwapDelayPlugin, folder.path("wide.wav"), folder.path("out.wav")}, kBadPlugin,
        "its latency of 16777216 frames would hold 32768 MB of this 256-channel file in memory; at most ", "",
        {{"FAKE_PLUGIN_LATENCY", "16777216"}});
}

// NaN or infinity from the effect is counted and named in one warning.
TEST_F(BadInput, NonFiniteSamplesFromThePluginAreCountedAndNamed) {
    const CliRun run = runCli(
        {"-q", "--block", "16", "--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("nan.wav")},
        {{"FAKE_PLUGIN_NAN", "3"}});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    // One chunk of 8192 frames (the input and the latency flush): 512 calls
    // of 16 frames, 3 NaN each.
    EXPECT_EQ(run.err, "sarnovellite: warning: output " + folder.path("nan.wav") + ": plug-in " +
                           kSwapDelayPlugin + " wrote 1536 non-finite samples (NaN or infinity) for " +
                           folder.path("in.wav") + "\n");
    const SoundData out = readSound(folder.path("nan.wav"));
    EXPECT_GT(std::count_if(out.floats.begin(), out.floats.end(), [](float x) { return std::isnan(x); }), 0);
    const CliRun clean =
        runCli({"-q", "--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("clean.wav")});
    EXPECT_EQ(clean.err, "");
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
