// Processes the planned files on a pool of threads, printing each file's
// warnings and summary line as it finishes.
#pragma once

#include <functional>
#include <vector>

#include "jobs/file_job.h"
#include "pipeline/file_processor.h"
#include "terminal/progress_display.h"

namespace sarnovellite::cli {

// Called with each file that was processed, that failed or whose output
// was there already, on the thread that ran it. Must not throw.
using FileDone = std::function<void(FileJob&)>;

struct RunOptions {
    int threads = 1;                 // files at a time
    bool skipExisting = false;       // an output that exists is left alone (SkipReason::outputExists)
    bool makeOutputFolders = false;  // batch: folders under the -o folder are made as needed
};

// Runs every job on run.threads threads of its own (the caller's thread only
// waits, and takes the interrupts); a failed file records its status and
// reason in its job and the run goes on. An output is put in place and its
// report entry written (`done`) with no interrupt in between.
void processAll(std::vector<FileJob>& jobs, const ProcessSettings& settings, const RunOptions& run,
                ProgressDisplay& progress, const FileDone& done);

}  // namespace sarnovellite::cli
