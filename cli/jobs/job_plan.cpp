#include "jobs/job_plan.h"

#include <sndfile.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "audio_io/sound_file.h"
#include "base/pending_output.h"

namespace fs = std::filesystem;

namespace sarnovellite::cli {

namespace {

// The folder given with -o, created when missing (as the demo does).
void prepareOutputFolder(const std::string& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
        throw ToolError(ExitStatus::badOutput, "output folder " + folder + ": cannot be created" +
                                                   (ec ? ": " + ec.message() : std::string()));
    }
}

}  // namespace

std::vector<FileJob> planJobs(const CliOptions& options) {
    std::vector<FileJob> jobs;
    if (options.mode == CliMode::process) {
        if (options.output != "-" && !outputExtensionIsWritable(options.output)) {
            throw ToolError(ExitStatus::badOutput,
                            "output " + options.output +
                                ": cannot write that container; name the output with one of " +
                                writableExtensions());
        }
        jobs.push_back(FileJob{options.inputs[0], options.output, false, {}, {}, {}});
        return jobs;
    }
    std::map<std::string, std::string> claimedBy;  // output -> the input it is made from
    for (const std::string& input : options.inputs) {
        const std::string name = fs::path(input).filename().string();
        if (name.empty()) throw ToolError(ExitStatus::badInput, "input " + input + ": not a file name");
        const std::string output = (fs::path(options.outputDir) / name).string();
        const auto [it, fresh] = claimedBy.emplace(output, input);
        std::error_code ec;
        const bool sameFile =
            !fresh && fs::weakly_canonical(it->second, ec) == fs::weakly_canonical(input, ec);
        if (!fresh && !sameFile) {
            throw ToolError(ExitStatus::badInput,
                            "inputs " + it->second + " and " + input + " would both be written to " + output);
        }
        jobs.push_back(FileJob{input, output, sameFile, {}, {}, {}});
    }
    prepareOutputFolder(options.outputDir);
    return jobs;
}

double totalDuration(const std::vector<FileJob>& jobs) {
    double seconds = 0.0;
    for (const FileJob& job : jobs) {
        // A pipe or device can be read only once: opening it here would eat
        // the header the processing needs. Its length stays unknown.
        std::error_code ec;
        if (!fs::is_regular_file(job.input, ec)) continue;
        SF_INFO info{};
        SNDFILE* file = sf_open(job.input.c_str(), SFM_READ, &info);
        if (file == nullptr) continue;
        if (info.samplerate > 0 && info.frames > 0 && info.frames < SF_COUNT_MAX) {
            seconds += static_cast<double>(info.frames) / info.samplerate;
        }
        sf_close(file);
    }
    return seconds;
}

// Outputs a killed run left unfinished in the folders this run writes to: one
// line per folder, so they are not left unseen.
void warnAboutAbandonedOutputs(const std::vector<FileJob>& jobs) {
    std::set<std::string> folders;
    for (const FileJob& job : jobs) {
        if (job.output != "-") folders.insert(fs::path(job.output).parent_path().string());
    }
    for (const std::string& folder : folders) {
        const std::vector<std::string> names = abandonedOutputs(folder);
        if (names.empty()) continue;
        std::string list;
        for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
        std::fprintf(
            stderr,
            "sarnovellite: warning: %s holds %zu unfinished output%s of a killed run, safe to delete: %s\n",
            folder.empty() ? "." : folder.c_str(), names.size(), names.size() == 1 ? "" : "s", list.c_str());
    }
}

}  // namespace sarnovellite::cli
