// The --report file: repaired regions per file and channel, as CSV or JSON
// (chosen by the extension of the report path).
//
// CSV: a header line, then one line per region:
//   file,channel,start_sample,end_sample,start_seconds,end_seconds
// JSON: {"files":[{"input","output","sample_rate","channels","frames",
//   "regions":[{"channel","start_sample","end_sample","start_seconds","end_seconds"}]}]}
// Channels count from 0; end_sample is exclusive; seconds are sample / rate.
// Files that failed are absent. Written through a temporary file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/change_regions.h"

struct FileRegions {
    std::string input;
    std::string output;
    int sampleRate = 0;
    int channels = 0;
    std::int64_t frames = 0;
    std::vector<ChangedRegion> regions;  // sorted by channel, then start
};

// Throws ToolError(ExitStatus::badOutput) when the file cannot be written.
void writeRegionReport(const std::string& path, const std::vector<FileRegions>& files);
