#include "jobs/job_plan.h"

#include <sndfile.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "audio_io/sound_file.h"
#include "base/pending_output.h"
#include "jobs/file_list.h"
#include "jobs/input_tree.h"

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

namespace {

// Batch inputs: every output is claimed by one input only.
class BatchPlan {
public:
    explicit BatchPlan(const CliOptions& options) : options_(options) {}

    void addNamed(const std::string& input) {
        std::error_code ec;
        if (options_.recursive && fs::is_directory(input, ec)) {
            walkInputTree(input, options_.followSymlinks,
                          [this](const std::string& path, const std::string& rel) {
                              if (looksLikeAudio(path, options_.rawInput.sampleRate > 0)) {
                                  add(path, rel);
                              } else {
                                  FileJob job;
                                  job.input = path;
                                  job.skip = SkipReason::notAudio;
                                  jobs_.push_back(std::move(job));
                              }
                          });
            return;
        }
        const std::string name = fs::path(input).filename().string();
        if (name.empty()) throw ToolError(ExitStatus::badInput, "input " + input + ": not a file name");
        add(input, name);
    }

    std::vector<FileJob> take() { return std::move(jobs_); }

private:
    void add(const std::string& input, const std::string& relative) {
        const std::string output = (fs::path(options_.outputDir) / relative).string();
        const auto [it, fresh] = claimedBy_.emplace(output, input);
        std::error_code ec;
        const bool sameFile =
            !fresh && fs::weakly_canonical(it->second, ec) == fs::weakly_canonical(input, ec);
        if (!fresh && !sameFile) {
            throw ToolError(ExitStatus::badInput,
                            "inputs " + it->second + " and " + input + " would both be written to " + output);
        }
        FileJob job;
        job.input = input;
        job.output = output;
        job.relative = relative;
        job.skip = sameFile ? SkipReason::namedTwice : SkipReason::none;
        jobs_.push_back(std::move(job));
    }

    const CliOptions& options_;
    std::map<std::string, std::string> claimedBy_;  // output -> the input it is made from
    std::vector<FileJob> jobs_;
};

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
        FileJob job;
        job.input = options.inputs[0];
        job.output = options.output;
        job.relative = fs::path(options.output).filename().string();
        jobs.push_back(std::move(job));
        return jobs;
    }
    BatchPlan plan(options);
    for (const std::string& input : options.inputs) plan.addNamed(input);
    if (!options.filesFrom.empty()) {
        for (const std::string& input : readFileList(options.filesFrom, options.nullSeparated))
            plan.addNamed(input);
    }
    prepareOutputFolder(options.outputDir);
    return plan.take();
}

double totalDuration(const std::vector<FileJob>& jobs) {
    double seconds = 0.0;
    for (const FileJob& job : jobs) {
        if (job.skip == SkipReason::notAudio) continue;
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
        if (job.output != "-" && !job.output.empty())
            folders.insert(fs::path(job.output).parent_path().string());
    }
    for (const std::string& folder : folders) {
        std::error_code ec;
        if (!folder.empty() && !fs::is_directory(folder, ec)) continue;
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
