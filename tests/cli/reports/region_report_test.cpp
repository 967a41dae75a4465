// The --report file: the changed runs per channel as CSV and JSON, and one
// entry per file of a batch with the version and settings.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/cli/cli_test_support.h"
#include "tests/cli/fake_plugin_paths.h"

namespace {

struct ExpectedRegion {
    int channel;
    long long start, end;
    bool operator==(const ExpectedRegion&) const = default;
};

TEST(RegionReport, ReportListsTheChangedRunsPerChannelAsCsvAndJson) {
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
    EXPECT_EQ(line,
              "file,channel,start_sample,end_sample,start_seconds,end_seconds,status,clipped_samples,output");
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
        const std::string tail = ",ok,0," + folder.path("out.wav");
        EXPECT_EQ(fields.str().substr(fields.str().size() - tail.size()), tail);
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

TEST(RegionReport, ABatchReportHasAnEntryForEveryFileWithTheVersionAndSettings) {
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
            EXPECT_NE(text.find("\n" + folder.path("marked.wav") + ",0,350,351,0.043750,0.043875,ok,0," +
                                folder.path("out/marked.wav") + "\n"),
                      std::string::npos);
            EXPECT_NE(text.find("\n" + folder.path("absent.wav") + ",,,,,,failed: input " +
                                folder.path("absent.wav") + ": no such file,," +
                                folder.path("out/absent.wav") + "\n"),
                      std::string::npos);
            EXPECT_NE(text.find("\n" + folder.path("clean.wav") + ",,,,,,ok,0," +
                                folder.path("out/clean.wav") + "\n"),
                      std::string::npos);
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

}  // namespace
