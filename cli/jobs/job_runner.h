// Processes the planned files on a pool of threads, printing each file's
// warnings and summary line as it finishes.
#pragma once

#include <functional>
#include <vector>

#include "jobs/file_job.h"
#include "pipeline/file_processor.h"
#include "terminal/progress_display.h"

namespace sarnovellite::cli {

// Called with each file that was processed, on the thread that processed it.
using FileDone = std::function<void(FileJob&)>;

// Runs every job on up to threadLimit threads (the caller's among them); a
// failed file records its status and reason in its job and the run goes on.
void processAll(std::vector<FileJob>& jobs, const ProcessSettings& settings, int threadLimit,
                ProgressDisplay& progress, const FileDone& done);

}  // namespace sarnovellite::cli
