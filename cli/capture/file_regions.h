// What one file's run left to report: where it came from and went, its
// format, the regions the effect changed and what went wrong with it. Filled
// by the pipeline, read by the reports and the label track.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/change_regions.h"

struct FileRegions {
    std::string input;
    std::string output;
    int sampleRate = 0;
    int channels = 0;
    std::int64_t frames = 0;
    std::vector<ChangedRegion> regions;  // sorted by channel, then start
    std::int64_t clippedSamples = 0;
    std::string damage;        // non-empty: the input was damaged and read in part
    std::string failure;       // non-empty: the file failed, for this reason
    std::string skipped;       // non-empty: the file was left alone, for this reason
    std::string inputSha256;   // hex; empty unless checksums were asked for
    std::string outputSha256;  // hex; empty unless checksums were asked for
};
