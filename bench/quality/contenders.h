// The effects under test, as shell command templates: "{in}" and "{out}" are
// replaced by the quoted paths of a 32-bit float WAV to read and one to write.
// A contender must write the same rate, channels, sample format and length,
// aligned sample by sample with its input.
#pragma once

#include <string>
#include <vector>

#include "bench/quality/audio.h"

struct Contender {
    std::string name, command;
};

// "NAME=COMMAND". Throws std::invalid_argument without a name or without
// both placeholders.
Contender parseContender(const std::string& text);

// The command-line host: `hint` if not empty, else the first executable of
// <build>/cli/sarnovellite, <build>/tools/sarnovellite and the same under
// ./build/default; empty if none.
std::string findCli(const std::string& hint);

// The specified effect at levels 1, 3 and 5, the restore effect when the
// host's --help offers "-m restore", and ffmpeg's adeclick (default and m=s)
// when ffmpeg is on PATH.
std::vector<Contender> defaultContenders(const std::string& cli);

struct RunResult {
    bool ok;
    double seconds;     // wall time of the whole command
    std::string error;  // the last line it printed, when it failed
};

// Runs the command; its stdout and stderr go to `log`.
RunResult run(const Contender& contender, const std::string& in, const std::string& out,
              const std::string& log);

// The lag of `output` behind `input` in frames (negative: ahead), found by
// cross-correlation over +-maxLag when the output is not already close to the
// input at lag 0; 0 for an aligned output.
long detectLag(const Audio& input, const Audio& output, long maxLag);
