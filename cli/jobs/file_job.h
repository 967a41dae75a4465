// One file of a run, from the plan to its outcome: what the planning, the
// runner, the summaries and the reports of jobs/ pass between them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/tool_error.h"
#include "pipeline/file_processor.h"

namespace sarnovellite::cli {

// Why a planned file is not processed.
enum class SkipReason {
    none,
    namedTwice,    // the same input named again: processed once
    notAudio,      // found in a folder with -r and not an audio file
    outputExists,  // --skip-existing and its output is there (complete)
};

// What a batch's summary keeps of a finished file once its outcome has gone
// to the report.
struct FileTotals {
    std::int64_t regions = 0;
    std::int64_t changedSamples = 0;
    std::int64_t clippedSamples = 0;
    bool damaged = false;
    bool reencoded = false;
};

struct FileJob {
    std::string input;
    std::string output;
    std::string relative;  // the output's path under the -o folder
    SkipReason skip = SkipReason::none;
    std::unique_ptr<FileOutcome> outcome;  // batch mode: let go once reported
    std::optional<FileTotals> totals;      // set when the file was processed
    std::optional<ExitStatus> failure;
    std::string failureReason;
};

}  // namespace sarnovellite::cli
