#include "tools/cli_options.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "tools/removed_signal.h"
#include "tools/tool_error.h"

namespace {

[[noreturn]] void usageError(const std::string& message) {
    throw ToolError(ExitStatus::usage, message + " (try --help)");
}

// Whole-string decimal integer within [low, high]; anything else is refused
// rather than silently truncated, as "-j 2x" or "--block 1e3" would be.
int parseBoundedInt(std::string_view option, const std::string& text, long low, long high) {
    if (text.empty() || text.find_first_not_of("0123456789+-") != std::string::npos) {
        usageError("option " + std::string(option) + ": '" + text + "' is not a whole number");
    }
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end != text.c_str() + text.size()) {
        usageError("option " + std::string(option) + ": '" + text + "' is not a whole number");
    }
    if (value < low || value > high) {
        usageError("option " + std::string(option) + ": " + text + " is outside " + std::to_string(low) + ".." +
                   std::to_string(high));
    }
    return static_cast<int>(value);
}

struct OptionSpec {
    std::string_view shortName;
    std::string_view longName;
    bool takesValue;
};

constexpr OptionSpec kOptions[] = {
    {"-s", "--sensitivity", true}, {"-g", "--click-gap", true}, {"", "--block", true},
    {"-o", "--output-dir", true},  {"-j", "--jobs", true},      {"", "--report", true},
    {"", "--plugin", true},        {"", "--labels", true},      {"", "--removed", true},
    {"-q", "--quiet", false},      {"", "--keep-latency", false},
    {"-h", "--help", false},       {"", "--version", false},
};

const OptionSpec* findOption(std::string_view name) {
    for (const OptionSpec& spec : kOptions) {
        if ((!spec.shortName.empty() && name == spec.shortName) || name == spec.longName) return &spec;
    }
    return nullptr;
}

}  // namespace

CliOptions parseCommandLine(int argc, const char* const* argv) {
    CliOptions options;
    std::vector<std::string> positional;
    bool wantHelp = false;
    bool wantVersion = false;
    bool optionsEnded = false;
    bool jobsGiven = false;

    // "demo" as the first word that is not an option selects the demo, so
    // `sarnovellite -s 5 demo out` works as well as `sarnovellite demo -s 5 out`;
    // a file named demo is still reachable as ./demo or after "--".
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (!optionsEnded && positional.empty() && options.mode != CliMode::demo && arg == "demo") {
                options.mode = CliMode::demo;
            } else {
                positional.push_back(arg);
            }
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::string value;
        bool hasInlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            const auto eq = arg.find('=');
            if (eq != std::string::npos) {
                name = arg.substr(0, eq);
                value = arg.substr(eq + 1);
                hasInlineValue = true;
            }
        } else if (arg.size() > 2) {  // "-s3"
            name = arg.substr(0, 2);
            value = arg.substr(2);
            hasInlineValue = true;
        }
        const OptionSpec* spec = findOption(name);
        if (spec == nullptr) usageError("unknown option '" + arg + "'");
        if (spec->takesValue && !hasInlineValue) {
            if (i + 1 >= argc) usageError("option " + name + " needs a value");
            value = argv[++i];
        } else if (!spec->takesValue && hasInlineValue) {
            usageError("option " + name + " takes no value");
        }

        const std::string_view longName = spec->longName;
        if (longName == "--sensitivity") {
            options.sensitivity = parseBoundedInt(name, value, 1, 5);
            options.sensitivityGiven = true;
        } else if (longName == "--click-gap") {
            options.clickGap = parseBoundedInt(name, value, 8, 64);
            options.clickGapGiven = true;
        } else if (longName == "--block") {
            options.blockSize = parseBoundedInt(name, value, 1, kMaxBlockSize);
        } else if (longName == "--jobs") {
            options.jobs = parseBoundedInt(name, value, 1, kMaxJobs);
            jobsGiven = true;
        } else if (longName == "--output-dir") {
            if (value.empty()) usageError("option " + name + " needs a folder");
            options.outputDir = value;
        } else if (longName == "--report") {
            if (value.empty()) usageError("option " + name + " needs a file name");
            options.reportPath = value;
        } else if (longName == "--labels" || longName == "--removed") {
            if (value.empty()) usageError("option " + name + " needs a file name");
            (longName == "--labels" ? options.labelsPath : options.removedPath) = value;
        } else if (longName == "--plugin") {
            if (value.empty()) usageError("option " + name + " needs a file name");
            options.pluginPath = value;
        } else if (longName == "--quiet") {
            options.quiet = true;
        } else if (longName == "--keep-latency") {
            options.keepLatency = true;
        } else if (longName == "--help") {
            wantHelp = true;
        } else if (longName == "--version") {
            wantVersion = true;
        }
    }

    if (wantHelp) {
        options.mode = CliMode::help;
        return options;
    }
    if (wantVersion) {
        options.mode = CliMode::version;
        return options;
    }

    if (!options.reportPath.empty()) {
        const auto dot = options.reportPath.rfind('.');
        const std::string ext = dot == std::string::npos ? "" : options.reportPath.substr(dot);
        if (ext != ".csv" && ext != ".json" && ext != ".html") {
            usageError("--report: the file name must end in .csv, .json or .html");
        }
    }
    if (!options.removedPath.empty() && removedSignalFormat(options.removedPath) == 0) {
        usageError("--removed: the file name must end in .wav, .w64, .rf64, .aif, .aiff, .caf or .au (a container "
                   "for 64-bit float)");
    }

    for (const std::string& name : positional) {
        if (name == "-") usageError("standard input and output are not supported; name a file");
    }

    if (options.mode == CliMode::demo) {
        if (positional.size() > 1) usageError("demo takes at most one folder");
        if (!options.outputDir.empty()) usageError("demo takes no -o; give the folder after 'demo'");
        if (!options.reportPath.empty()) usageError("demo takes no --report; it writes demo-regions.csv and demo-report.html into its folder");
        if (options.keepLatency) usageError("demo takes no --keep-latency; it compares aligned audio");
        if (jobsGiven) usageError("demo takes no -j; it processes one file");
        if (!options.labelsPath.empty() || !options.removedPath.empty()) {
            usageError("demo takes no --labels or --removed; it writes demo-labels.txt and demo-removed.wav");
        }
        if (!positional.empty()) options.demoDir = positional[0];
        return options;
    }

    if (!options.outputDir.empty()) {
        if (positional.empty()) usageError("no input files given");
        if (!options.labelsPath.empty() || !options.removedPath.empty()) {
            usageError("--labels and --removed name one file; they work on one INPUT OUTPUT pair, not with -o");
        }
        options.mode = CliMode::batch;
        options.inputs = positional;
        return options;
    }
    if (positional.empty()) usageError("no input and output given");
    if (positional.size() == 1) usageError("no output given (use INPUT OUTPUT, or -o FOLDER for many inputs)");
    if (positional.size() > 2) usageError("too many files; use -o FOLDER to process several inputs");
    options.mode = CliMode::process;
    options.inputs = {positional[0]};
    options.output = positional[1];
    return options;
}
