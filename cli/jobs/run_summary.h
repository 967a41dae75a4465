// The lines that sum up a run: one per file, one for a batch, and its status.
#pragma once

#include <string>
#include <vector>

#include "jobs/file_job.h"

// "1:02.35" for 62.35 seconds.
std::string formatDuration(double seconds);

namespace sarnovellite::cli {

// "IN -> OUT: 3 regions repaired, 120 samples changed, 0:10.00 of audio,
// 85.2x real time", with the clipped samples and the damage when there are any.
std::string summaryLine(const FileJob& job);

// "5 files: 4 done, 1 failed, 0 skipped; 12 regions repaired, 3456 samples changed";
// skipped: named twice, not audio (-r) or with their output there (-n).
std::string batchSummary(const std::vector<FileJob>& jobs);

// The status of the first file, in command-line order, that failed.
int exitStatusOf(const std::vector<FileJob>& jobs);

}  // namespace sarnovellite::cli
