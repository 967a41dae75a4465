#include "jobs/side_file_checks.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace sarnovellite::cli {

namespace {

// Files written after hours of work in a long batch (the report) or beside
// the output (labels, removed signal): a place one cannot go, or a name an
// audio file or another of them already takes, is refused before any work.
void checkSideFilePath(const std::string& what, const std::string& path, const std::vector<FileJob>& jobs,
                       const std::vector<std::string>& otherSideFiles) {
    std::error_code ec;
    const fs::path file(path);
    if (fs::is_directory(file, ec))
        throw ToolError(ExitStatus::badOutput, what + " " + path + ": is a folder");
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec)) {
        throw ToolError(ExitStatus::badOutput, what + " " + path + ": no such folder " + folder.string());
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        throw ToolError(ExitStatus::badOutput, what + " " + path + ": cannot write into folder " +
                                                   folder.string() + ": " + std::strerror(errno));
    }
    const fs::path canonical = fs::weakly_canonical(file, ec);
    auto sameFile = [&](const std::string& other) {
        std::error_code sameEc;
        return fs::weakly_canonical(other, sameEc) == canonical || fs::equivalent(other, file, sameEc);
    };
    for (const FileJob& job : jobs) {
        for (const std::string& audio : {job.input, job.output}) {
            if (sameFile(audio)) {
                throw ToolError(ExitStatus::badOutput,
                                what + " " + path + ": would overwrite the audio file " + audio);
            }
        }
    }
    for (const std::string& other : otherSideFiles) {
        if (!other.empty() && sameFile(other)) {
            throw ToolError(ExitStatus::badOutput, what + " " + path + ": is also named for another output");
        }
    }
}

}  // namespace

void checkSideFiles(const CliOptions& options, const std::vector<FileJob>& jobs) {
    const std::string& report = options.reportPath;
    const std::string& labels = options.labelsPath;
    const std::string& removed = options.removedPath;
    if (!report.empty()) checkSideFilePath("report", report, jobs, {labels, removed});
    if (!labels.empty()) checkSideFilePath("labels", labels, jobs, {removed});
    if (!removed.empty()) checkSideFilePath("removed signal", removed, jobs, {});
}

}  // namespace sarnovellite::cli
