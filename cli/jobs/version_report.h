// The --version text: this tool's version, the libsndfile it runs with, and
// the effect it would host (path, name and version), or why there is none.
#pragma once

#include <string>

#include "options/cli_options.h"

namespace sarnovellite::cli {

// Ends with a newline; never throws for a missing or refusing effect.
std::string versionReport(const CliOptions& options);

}  // namespace sarnovellite::cli
