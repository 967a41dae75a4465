// The --labels file: one label per repaired region, for an audio editor to
// import as a label track (Audacity's format, which others read too).
//
// One line per region, tab-separated: start in seconds, end in seconds, text.
//   0.265668	0.267189	ch 1 click (67 samples)
// Times are in the input's timeline (the effect's latency compensated). The
// start is rounded down and the end up to the microsecond, so every changed
// sample lies inside its label. Channels count from 1 as editors show them.
// Written through a temporary file.
#pragma once

#include <string>

#include "reports/region_report.h"

// Throws ToolError(ExitStatus::badOutput) when the file cannot be written.
void writeLabelTrack(const std::string& path, const FileRegions& file);
