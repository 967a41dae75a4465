// The files a run writes beside the audio (report, labels, removed signal),
// checked before any work: they are written after hours of it.
#pragma once

#include <vector>

#include "jobs/file_job.h"
#include "options/cli_options.h"

namespace sarnovellite::cli {

// Throws ToolError(ExitStatus::badOutput) when a side file named in `options`
// is a folder, lies in a folder that is missing or not writable, or would
// overwrite an audio file of `jobs` or another side file.
void checkSideFiles(const CliOptions& options, const std::vector<FileJob>& jobs);

}  // namespace sarnovellite::cli
