// The list of --files-from: one path per line, or NUL-separated with -0 (as
// `find -print0` writes it, for names holding line breaks). Names are taken
// byte for byte (spaces, leading dashes and all); empty entries are skipped,
// and so is a carriage return ending a line of a list written on Windows
// only when -0 is not given. "-" reads standard input. Throws
// ToolError(ExitStatus::badInput) when the list cannot be read.
#pragma once

#include <string>
#include <vector>

namespace sarnovellite::cli {

std::vector<std::string> readFileList(const std::string& listPath, bool nullSeparated);

}  // namespace sarnovellite::cli
