// One file of a run, from the plan to its outcome: what the planning, the
// runner, the summaries and the reports of jobs/ pass between them.
#pragma once

#include <optional>
#include <string>

#include "base/tool_error.h"
#include "pipeline/file_processor.h"

namespace sarnovellite::cli {

struct FileJob {
    std::string input;
    std::string output;
    bool skipped = false;  // the same input named again: processed once
    std::optional<FileOutcome> outcome;
    std::optional<ExitStatus> failure;
    std::string failureReason;
};

}  // namespace sarnovellite::cli
