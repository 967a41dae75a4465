// Planning a run: which file goes where, before any work is done.
#pragma once

#include <vector>

#include "jobs/file_job.h"
#include "options/cli_options.h"

namespace sarnovellite::cli {

// One job per input: INPUT OUTPUT, or every input into the -o folder (created
// when missing) under its own name; with -r a folder among the inputs (or in
// the --files-from list, read after the arguments) gives a job per file found
// in it (input_tree.h), written under its path relative to that folder, and
// one skipped as not audio for every other file. Throws ToolError when the
// output cannot be written in that container, when a name is no file name,
// or when two different inputs would be written to one output; the same
// input named again is planned once more as skipped. Memory: the planned
// paths, a few hundred bytes per file.
std::vector<FileJob> planJobs(const CliOptions& options);

// The seconds of audio the regular input files announce; pipes and
// unreadable files count nothing.
double totalDuration(const std::vector<FileJob>& jobs);

// Warns on stderr, one line per folder, about the unfinished outputs a killed
// run left in the folders the jobs write to.
void warnAboutAbandonedOutputs(const std::vector<FileJob>& jobs);

}  // namespace sarnovellite::cli
