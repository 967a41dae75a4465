// The files a person checks repairs with (label track, removed signal, HTML
// report), produced by the built executable with the bundled effect.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/cli_test_support.h"

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;

struct Label {
    double start;
    double end;
    int channel;  // from 0
};

// Parses one "start<TAB>end<TAB>ch N ..." line; fails the test on anything else.
Label parseLabel(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    EXPECT_EQ(fields.size(), 3u) << line;
    if (fields.size() != 3) return {0, -1, -1};
    char* end = nullptr;
    Label label{std::strtod(fields[0].c_str(), &end), 0, -1};
    EXPECT_EQ(*end, '\0') << line;
    label.end = std::strtod(fields[1].c_str(), &end);
    EXPECT_EQ(*end, '\0') << line;
    EXPECT_LE(label.start, label.end) << line;
    EXPECT_EQ(fields[2].rfind("ch ", 0), 0u) << line;
    label.channel = std::atoi(fields[2].c_str() + 3) - 1;
    return label;
}

std::vector<double> readDoubles(const std::string& path, SF_INFO& info) {
    info = {};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    EXPECT_NE(file, nullptr) << path;
    if (file == nullptr) return {};
    std::vector<double> samples(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_double(file, samples.data(), info.frames);
    sf_close(file);
    return samples;
}

std::size_t countOf(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

// Every element closed in order (void elements written as <x/>); returns the
// first fault, or "" for well-formed markup.
std::string markupFault(const std::string& html) {
    std::vector<std::string> open;
    for (std::size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
        const std::size_t close = html.find('>', at);
        if (close == std::string::npos) return "unclosed tag at " + std::to_string(at);
        const std::string tag = html.substr(at + 1, close - at - 1);
        if (tag.empty() || tag[0] == '!') continue;
        const bool closing = tag[0] == '/';
        const std::string name = tag.substr(closing, tag.find_first_of(" /", closing) - closing);
        if (closing) {
            if (open.empty() || open.back() != name)
                return "</" + name + "> closes <" + (open.empty() ? "" : open.back()) + ">";
            open.pop_back();
        } else if (tag.back() != '/') {
            open.push_back(name);
        }
    }
    return open.empty() ? "" : "<" + open.back() + "> never closed";
}

class RepairCheckFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (realPluginPath().empty()) GTEST_SKIP() << "no Sarnovellite plug-in in this build";
        std::vector<float> signal = smoothSignal(3 * kRate, kChannels, kRate, 5);
        for (std::size_t k = 0; k < 20; ++k) {  // sharp clicks, alternating channels and signs
            const std::size_t frame = 6000 + k * 6100;
            signal[frame * kChannels + k % 2] += k % 3 ? 0.7f : -0.6f;
        }
        writeFloatFile(folder.path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, kRate, kChannels, signal);
    }
    CliRun run(const std::vector<std::string>& extra) {
        std::vector<std::string> args = {"-q"};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(folder.path("in.wav"));
        args.push_back(folder.path("out.wav"));
        return runCli(args);
    }
    ScratchFolder folder;
};

TEST_F(RepairCheckFiles, LabelsCoverEveryChangedSampleAndMatchTheReportsMarks) {
    const CliRun result =
        run({"--labels", folder.path("labels.txt"), "--report", folder.path("report.html")});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<Label> labels;
    std::stringstream lines(readText(folder.path("labels.txt")));
    for (std::string line; std::getline(lines, line);) labels.push_back(parseLabel(line));
    const SoundData in = readSound(folder.path("in.wav")), out = readSound(folder.path("out.wav"));
    ASSERT_EQ(in.floats.size(), out.floats.size());
    std::size_t changed = 0;
    for (std::size_t i = 0; i < in.floats.size(); ++i) {
        if (in.floats[i] == out.floats[i]) continue;
        ++changed;
        const int channel = static_cast<int>(i % kChannels);
        const double from = static_cast<double>(i / kChannels) / kRate, to = from + 1.0 / kRate;
        bool covered = false;
        for (const Label& l : labels) covered |= l.channel == channel && l.start <= from && to <= l.end;
        ASSERT_TRUE(covered) << "changed sample " << i / kChannels << " on channel " << channel
                             << " has no label";
    }
    EXPECT_GE(changed, 20u);
    EXPECT_EQ(countOf(readText(folder.path("report.html")), "class=\"region-mark\""), labels.size());
}

TEST_F(RepairCheckFiles, RemovedIsInputMinusOutputExactlyAlsoWithRawOutput) {
    const CliRun aligned = run({"--removed", folder.path("removed.wav")});
    ASSERT_EQ(aligned.exitStatus, 0) << aligned.err;
    SF_INFO inInfo, outInfo, removedInfo;
    const std::vector<double> in = readDoubles(folder.path("in.wav"), inInfo);
    const std::vector<double> out = readDoubles(folder.path("out.wav"), outInfo);
    const std::vector<double> removed = readDoubles(folder.path("removed.wav"), removedInfo);
    EXPECT_EQ(removedInfo.format & SF_FORMAT_SUBMASK, SF_FORMAT_DOUBLE);
    EXPECT_EQ(readText(folder.path("removed.wav")).substr(0, 4), "RIFF");  // plain WAV while it fits
    EXPECT_EQ(removedInfo.channels, kChannels);
    ASSERT_EQ(removed.size(), in.size());
    ASSERT_EQ(out.size(), in.size());
    std::size_t nonzero = 0;
    for (std::size_t i = 0; i < in.size(); ++i) {
        ASSERT_EQ(removed[i], in[i] - out[i]) << "sample " << i;
        nonzero += removed[i] != 0.0;
    }
    EXPECT_GE(nonzero, 20u);
    // The raw, delayed output does not shift what was removed.
    const CliRun raw = run({"--keep-latency", "--removed", folder.path("removed-raw.wav")});
    ASSERT_EQ(raw.exitStatus, 0) << raw.err;
    SF_INFO rawInfo;
    EXPECT_EQ(readDoubles(folder.path("removed-raw.wav"), rawInfo), removed);
}

TEST_F(RepairCheckFiles, HtmlReportIsWellFormedAndSelfContained) {
    // A name with markup characters must come out as text.
    const std::string oddName = folder.path("a<b>&'\"c.wav");
    std::filesystem::copy_file(folder.path("in.wav"), oddName);
    const CliRun result = runCli({"-q", "--report", folder.path("report.html"), "--labels",
                                  folder.path("labels.txt"), oddName, folder.path("out.wav")});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::string html = readText(folder.path("report.html"));
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_EQ(markupFault(html), "");
    EXPECT_NE(html.find("a&lt;b&gt;&amp;&#39;&quot;c.wav"), std::string::npos);
    for (std::size_t at = html.find('&'); at != std::string::npos; at = html.find('&', at + 1)) {
        const std::string entity = html.substr(at, html.find(';', at) - at + 1);
        EXPECT_TRUE(entity == "&amp;" || entity == "&lt;" || entity == "&gt;" || entity == "&quot;" ||
                    entity == "&#39;")
            << entity;
    }
    for (const char* external : {"http:", "https:", "src=", "href=", "<script", "<link", "url(", "@import"}) {
        EXPECT_EQ(html.find(external), std::string::npos) << external;
    }
    // One close-up per region (there are fewer than the page's limit here).
    const std::size_t regions = countOf(readText(folder.path("labels.txt")), "\n");
    EXPECT_GE(regions, 10u);
    EXPECT_EQ(countOf(html, "<svg class=\"closeup\""), regions);
    EXPECT_EQ(countOf(html, "<svg class=\"overview\""), 1u);
}

TEST_F(RepairCheckFiles, SideFilesAreRefusedBeforeAnyWork) {
    EXPECT_EQ(run({"--removed", folder.path("removed.flac")}).exitStatus, 2);
    EXPECT_EQ(run({"--labels", folder.path("in.wav")}).exitStatus, 4);
    EXPECT_EQ(run({"--labels", folder.path("x.wav"), "--removed", folder.path("x.wav")}).exitStatus, 4);
    EXPECT_EQ(run({"--report", folder.path("no-such/report.html")}).exitStatus, 4);
    EXPECT_EQ(folder.list(), std::vector<std::string>{"in.wav"});
}

}  // namespace
