#include <gtest/gtest.h>

#include <vector>

#include "base/tool_error.h"
#include "options/cli_options.h"

namespace {

CliOptions parse(std::vector<const char*> args) {
    args.insert(args.begin(), "sarnovellite");
    return parseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CliOptions, AcceptsJoinedSeparateAndEqualsFormsAndEndOfOptions) {
    const CliOptions o = parse({"-s3", "--click-gap=40", "--block", "1", "-q", "--", "-odd.wav", "out.wav"});
    EXPECT_EQ(o.mode, CliMode::process);
    EXPECT_EQ(o.sensitivity, 3);
    EXPECT_TRUE(o.sensitivityGiven);
    EXPECT_EQ(o.clickGap, 40);
    EXPECT_EQ(o.blockSize, 1);
    EXPECT_TRUE(o.quiet);
    EXPECT_EQ(o.inputs, std::vector<std::string>{"-odd.wav"});
    EXPECT_EQ(o.output, "out.wav");
}

TEST(CliOptions, DefaultsAndModes) {
    const CliOptions single = parse({"in.wav", "out.wav"});
    EXPECT_EQ(single.sensitivity, 1);
    EXPECT_EQ(single.clickGap, 32);
    EXPECT_EQ(single.blockSize, 512);
    EXPECT_EQ(single.jobs, 1);
    EXPECT_FALSE(single.sensitivityGiven || single.clickGapGiven || single.keepLatency || single.quiet);

    const CliOptions batch = parse({"-j", "2", "-o", "dir", "a.wav", "b.wav", "c.wav"});
    EXPECT_EQ(batch.mode, CliMode::batch);
    EXPECT_EQ(batch.jobs, 2);
    EXPECT_EQ(batch.inputs.size(), 3u);

    const CliOptions demo = parse({"demo", "-s", "5", "folder"});
    EXPECT_EQ(demo.mode, CliMode::demo);
    EXPECT_EQ(demo.demoDir, "folder");
    EXPECT_EQ(demo.sensitivity, 5);
    EXPECT_EQ(parse({"demo"}).demoDir, ".");
    const CliOptions demoAfterOptions = parse({"-s", "4", "demo", "folder"});
    EXPECT_EQ(demoAfterOptions.mode, CliMode::demo);
    EXPECT_EQ(demoAfterOptions.demoDir, "folder");
    EXPECT_EQ(demoAfterOptions.sensitivity, 4);
    // A file called demo stays reachable: as a later word, or after "--".
    EXPECT_EQ(parse({"in.wav", "demo"}).mode, CliMode::process);
    const CliOptions fileNamedDemo = parse({"--", "demo", "out.wav"});
    EXPECT_EQ(fileNamedDemo.mode, CliMode::process);
    EXPECT_EQ(fileNamedDemo.inputs.front(), "demo");

    EXPECT_EQ(parse({"in.wav", "--help"}).mode, CliMode::help);
    EXPECT_EQ(parse({"--version", "a", "b", "c"}).mode, CliMode::version);
}

TEST(CliOptions, RangeEdgesAreInsideAndOneBeyondIsRefused) {
    EXPECT_EQ(parse({"-s", "1", "-g", "8", "a", "b"}).clickGap, 8);
    EXPECT_EQ(parse({"-s", "5", "-g", "64", "--block", "1048576", "-j", "64", "-o", "d", "a"}).blockSize,
              1 << 20);
    for (auto args : std::vector<std::vector<const char*>>{{"-g", "64", "--block", "1048577", "a", "b"},
                                                           {"-j", "65", "-o", "d", "a"},
                                                           {"-s", "", "a", "b"}}) {
        try {
            parse(args);
            ADD_FAILURE() << "accepted " << args[0] << " " << args[1] << " " << args[2] << " " << args[3];
        } catch (const ToolError& error) {
            EXPECT_EQ(error.status(), ExitStatus::usage);
        }
    }
}

}  // namespace

namespace {

// The demo writes its own files; options it would not honour are refused, not
// silently ignored.
TEST(CliOptions, TheDemoRefusesOptionsItDoesNotHonour) {
    for (auto args : std::vector<std::vector<const char*>>{
             {"demo", "--report", "r.json"}, {"demo", "--keep-latency"}, {"-j", "2", "demo"}}) {
        try {
            parse(args);
            ADD_FAILURE() << "accepted " << args[0] << " " << args[1];
        } catch (const ToolError& error) {
            EXPECT_EQ(error.status(), ExitStatus::usage);
            EXPECT_NE(std::string(error.what()).find("demo"), std::string::npos) << error.what();
        }
    }
    EXPECT_EQ(parse({"demo", "-q", "--block", "64", "-s", "2"}).mode, CliMode::demo);
}

}  // namespace
