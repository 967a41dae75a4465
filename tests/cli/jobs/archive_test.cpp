// Working through an archive: folder trees, file lists, an interrupted batch
// and its resumption, fixity records and reproducible outputs, all through
// the built executable.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

#include "tests/cli/cli_test_support.h"
#include "tests/cli/fake_plugin_paths.h"

namespace fs = std::filesystem;

namespace {

constexpr int kInterrupted = 130;

// The channel-swapping effect's output of `input`, checked sample by sample.
void expectSwapped(const std::string& path, const std::vector<float>& input) {
    const SoundData result = readSound(path);
    ASSERT_EQ(result.floats.size(), input.size()) << path;
    for (std::size_t k = 0; k < input.size(); ++k)
        ASSERT_EQ(result.floats[k], input[k ^ 1]) << path << " " << k;
}

std::vector<std::string> filesUnder(const std::string& root) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), root).string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string sha256sum(const std::string& path) {
    std::FILE* pipe = popen(("sha256sum '" + path + "'").c_str(), "r");
    char digest[65] = {};
    const bool ok = pipe != nullptr && std::fread(digest, 1, 64, pipe) == 64;
    if (pipe) pclose(pipe);
    return ok ? digest : "";
}

// The files of the CSV's data lines (a file has a line per region), in order.
std::vector<std::string> csvFiles(const std::string& text) {
    std::istringstream lines(text);
    std::vector<std::string> files;
    std::string line;
    std::getline(lines, line);
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        const std::string file = line.substr(0, line.find(','));
        if (files.empty() || files.back() != file) files.push_back(file);
    }
    return files;
}

TEST(Archive, ATreeIsMirroredUnderTheOutputFolderAndItsOtherFilesAreSkipped) {
    ScratchFolder folder;
    const std::string root = folder.path("archive");
    fs::create_directories(root + "/box1/lp01");
    fs::create_directories(root + "/box2/lp01");
    const std::vector<float> one = noise(3000, 2, 1), two = noise(2000, 2, 2);
    writeFloatFile(root + "/box1/lp01/side-a.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, one);
    writeFloatFile(root + "/box2/lp01/side-a.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, two);
    writeText(root + "/box1/notes.txt", "side A: scratch at 3:10\n");
    writeText(root + "/box2/cover.jpg", "\xFF\xD8\xFF\xE0 not really a picture");
    // A linked folder is not entered unless asked: it would give the files twice.
    fs::create_directory_symlink(root + "/box1", root + "/link-to-box1");

    const CliRun run = runCli({"--plugin", kSwapDelayPlugin, "-r", "-o", folder.path("out"), root});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.out.find("\n4 files: 2 done, 0 failed, 2 skipped; "), std::string::npos) << run.out;
    EXPECT_EQ(filesUnder(folder.path("out")),
              (std::vector<std::string>{"box1/lp01/side-a.wav", "box2/lp01/side-a.wav"}));
    expectSwapped(folder.path("out/box1/lp01/side-a.wav"), one);
    expectSwapped(folder.path("out/box2/lp01/side-a.wav"), two);

    // Named on the command line, a file that is not audio still fails.
    const CliRun named =
        runCli({"--plugin", kSwapDelayPlugin, "-o", folder.path("out2"), root + "/box1/notes.txt"});
    EXPECT_EQ(named.exitStatus, 3) << named.err;
}

TEST(Archive, FileListsTakeNamesWithSpacesLineBreaksAndLeadingDashes) {
    ScratchFolder folder;
    const std::vector<std::string> names = {"with space.wav", "-dash.wav", "line\nbreak.wav", "plain.wav"};
    std::vector<std::vector<float>> inputs;
    for (std::size_t i = 0; i < names.size(); ++i) {
        inputs.push_back(noise(1000 + 100 * static_cast<long long>(i), 2, 10 + static_cast<unsigned>(i)));
        writeFloatFile(folder.path(names[i]), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, inputs.back());
    }
    writeText(folder.path("lines.txt"), folder.path(names[0]) + "\n" + folder.path(names[1]) + "\n");
    const CliRun lines = runCli({"-q", "--plugin", kSwapDelayPlugin, "--files-from", folder.path("lines.txt"),
                                 "-o", folder.path("out"), folder.path(names[3])});
    ASSERT_EQ(lines.exitStatus, 0) << lines.err;
    writeText(folder.path("nul.txt"),
              folder.path(names[2]) + std::string(1, '\0') + folder.path(names[1]) + std::string(1, '\0'));
    const CliRun nul = runCli({"-q", "--plugin", kSwapDelayPlugin, "-0", "--files-from",
                               folder.path("nul.txt"), "-o", folder.path("out0")});
    ASSERT_EQ(nul.exitStatus, 0) << nul.err;
    for (std::size_t i : {0, 1, 3}) expectSwapped(folder.path("out/" + names[i]), inputs[i]);
    for (std::size_t i : {1, 2}) expectSwapped(folder.path("out0/" + names[i]), inputs[i]);
    EXPECT_EQ(filesUnder(folder.path("out0")).size(), 2u);
}

// SIGTERM after the second file: the report holds exactly the files whose
// outputs are complete and says it was interrupted; a run with
// --skip-existing then does the rest and leaves the finished ones alone.
TEST(Archive, AnInterruptedBatchLeavesAReportOfWhatIsDoneAndResumes) {
    ScratchFolder folder;
    std::vector<std::string> args = {"-j",       "1",
                                     "--block",  "64",
                                     "--plugin", kSwapDelayPlugin,
                                     "--report", folder.path("first.csv"),
                                     "-o",       folder.path("out")};
    std::vector<std::vector<float>> inputs;
    for (int i = 0; i < 12; ++i) {
        inputs.push_back(noise(6400, 2, 100 + i));
        const std::string name = folder.path("in/f" + std::to_string(10 + i) + ".wav");
        fs::create_directories(folder.path("in"));
        writeFloatFile(name, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, inputs.back());
        args.push_back(name);
    }
    // Slowed to 1 ms per block: about a tenth of a second per file.
    const int pid = startCli(args, {{"FAKE_PLUGIN_SLEEP_US", "1000"}});
    for (int i = 0; i < 2000 && csvFiles(readText(folder.path("first.csv"))).size() < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    kill(pid, SIGTERM);
    ASSERT_EQ(waitCli(pid), kInterrupted);

    const std::string report = readText(folder.path("first.csv"));
    const std::vector<std::string> reported = csvFiles(report);
    const std::vector<std::string> outputs = filesUnder(folder.path("out"));
    ASSERT_GE(reported.size(), 2u);
    ASSERT_LT(reported.size(), 12u) << "the batch ended before the interrupt";
    ASSERT_EQ(reported.size(), outputs.size()) << report << ::testing::PrintToString(outputs);
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        EXPECT_EQ(outputs[i], "f" + std::to_string(10 + i) + ".wav") << "a partial or unreported file";
        EXPECT_EQ(reported[i], folder.path("in/" + outputs[i]));
        expectSwapped(folder.path("out/" + outputs[i]), inputs[i]);
    }
    EXPECT_EQ(report.substr(report.rfind('\n', report.size() - 2) + 1, 14), "# interrupted:") << report;
    struct stat before {};
    stat(folder.path("out/f10.wav").c_str(), &before);

    args[7] = folder.path("second.json");
    args.push_back("--skip-existing");
    const CliRun resumed = runCli(args);
    ASSERT_EQ(resumed.exitStatus, 0) << resumed.err;
    EXPECT_NE(resumed.out.find("12 files: " + std::to_string(12 - outputs.size()) + " done, 0 failed, " +
                               std::to_string(outputs.size()) + " skipped"),
              std::string::npos)
        << resumed.out;
    for (int i = 0; i < 12; ++i)
        expectSwapped(folder.path("out/f" + std::to_string(10 + i) + ".wav"), inputs[i]);
    struct stat after {};
    stat(folder.path("out/f10.wav").c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    const std::string json = readText(folder.path("second.json"));
    for (int i = 0; i < 12; ++i) {
        const bool wasDone = static_cast<std::size_t>(i) < outputs.size();
        const std::string entry = "{\"input\":\"" + folder.path("in/f" + std::to_string(10 + i) + ".wav") +
                                  "\",\"output\":\"" +
                                  folder.path("out/f" + std::to_string(10 + i) + ".wav") +
                                  "\",\"status\":\"" + (wasDone ? "skipped" : "ok") + "\"";
        EXPECT_NE(json.find(entry), std::string::npos) << entry;
    }
    EXPECT_EQ(json.substr(json.size() - 19), "],\"finished\":true}\n") << json;
}

TEST(Archive, ChecksumsAreThoseOfTheInputAndOutputFiles) {
    ScratchFolder folder;
    writeFloatFile(folder.path("a.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, noise(5000, 2, 7));
    writeIntFile(folder.path("b.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 1,
                 std::vector<int>(4000, 1000 << 16));
    {
        // Text fields after the samples: libsndfile seeks past the samples to read them.
        SF_INFO info{};
        info.samplerate = 8000;
        info.channels = 2;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
        SNDFILE* file = sf_open(folder.path("c.wav").c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr);
        const std::vector<float> samples = noise(3000, 2, 9);
        sf_writef_float(file, samples.data(), 3000);
        sf_set_string(file, SF_STR_TITLE, "side B");
        sf_close(file);
    }
    const CliRun run =
        runCli({"-q", "--checksums", "--plugin", kSwapDelayPlugin, "--report", folder.path("r.csv"), "-o",
                folder.path("out"), folder.path("a.wav"), folder.path("b.flac"), folder.path("c.wav")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    std::istringstream lines(readText(folder.path("r.csv")));
    std::string line;
    std::getline(lines, line);
    std::getline(lines, line);
    EXPECT_EQ(line.substr(line.size() - 34), ",output,input_sha256,output_sha256");
    std::set<std::string> files;
    while (std::getline(lines, line)) {
        const std::string input = line.substr(0, line.find(','));
        const std::string output = folder.path("out/" + fs::path(input).filename().string());
        EXPECT_EQ(line.substr(line.size() - 129), sha256sum(input) + "," + sha256sum(output)) << line;
        files.insert(input);
    }
    EXPECT_EQ(files.size(), 3u);
}

// Outputs are byte-identical from run to run: libsndfile's PEAK chunk (float
// WAV, AIFF) would carry the time of writing, a second apart here.
TEST(Archive, TwoRunsGiveByteIdenticalOutputs) {
    ScratchFolder folder;
    const std::vector<float> signal = noise(4000, 2, 21);
    std::vector<int> ints(signal.size());
    for (std::size_t i = 0; i < ints.size(); ++i) ints[i] = static_cast<int>(signal[i] * 30000) << 16;
    writeFloatFile(folder.path("float.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, signal);
    writeFloatFile(folder.path("float.aiff"), SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 44100, 2, signal);
    writeFloatFile(folder.path("double.rf64"), SF_FORMAT_RF64 | SF_FORMAT_DOUBLE, 44100, 2, signal);
    writeIntFile(folder.path("int.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, ints);
    writeIntFile(folder.path("int.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 44100, 2, ints);
    const std::vector<std::string> names = {"float.wav", "float.aiff", "double.rf64", "int.wav", "int.flac"};
    for (const std::string out : {"first", "second"}) {
        std::vector<std::string> args = {"-q", "--plugin", kSwapDelayPlugin, "-o", folder.path(out)};
        for (const std::string& name : names) args.push_back(folder.path(name));
        ASSERT_EQ(runCli(args).exitStatus, 0);
        if (out == "first") std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    }
    for (const std::string& name : names) {
        const std::string first = readText(folder.path("first/" + name));
        EXPECT_FALSE(first.empty()) << name;
        EXPECT_EQ(first, readText(folder.path("second/" + name))) << name;
    }
    // The chunk whose time stamp would differ is there, not left out.
    EXPECT_NE(readText(folder.path("first/float.wav")).find("PEAK"), std::string::npos);
}

}  // namespace
