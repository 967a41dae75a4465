#include "options/cli_options.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <thread>
#include <vector>

#include "audio_io/removed_signal_format.h"
#include "base/tool_error.h"
#include "effect/parameters/restore_parameters.h"
#include "effect/parameters/sarnovellite_parameters.h"
#include "options/restore_options.h"

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
        usageError("option " + std::string(option) + ": " + text + " is outside " + std::to_string(low) +
                   ".." + std::to_string(high));
    }
    return static_cast<int>(value);
}

struct ParseState {
    CliOptions options;
    std::vector<std::string> positional;
    bool wantHelp = false;
    bool wantVersion = false;
    bool jobsGiven = false;
};

// Stores one option's value; `name` is the spelling the user typed.
using OptionHandler = void (*)(ParseState& state, const std::string& name, const std::string& value);

struct OptionSpec {
    std::string_view shortName;
    std::string_view longName;
    bool takesValue;
    OptionHandler handle;
};

// "44100:2:s16": rate, channels and one of s8 u8 s16 s24 s32 f32 f64.
RawInputFormat parseRawFormat(const std::string& name, const std::string& value) {
    const auto first = value.find(':'),
               second = value.find(':', first == std::string::npos ? first : first + 1);
    if (first == std::string::npos || second == std::string::npos) {
        usageError("option " + name + ": '" + value + "' is not RATE:CHANNELS:ENCODING");
    }
    static const std::pair<const char*, int> encodings[] = {
        {"s8", SF_FORMAT_PCM_S8},  {"u8", SF_FORMAT_PCM_U8},  {"s16", SF_FORMAT_PCM_16},
        {"s24", SF_FORMAT_PCM_24}, {"s32", SF_FORMAT_PCM_32}, {"f32", SF_FORMAT_FLOAT},
        {"f64", SF_FORMAT_DOUBLE}};
    RawInputFormat raw;
    raw.sampleRate = parseBoundedInt(name, value.substr(0, first), 1, 1 << 22);
    raw.channels = parseBoundedInt(name, value.substr(first + 1, second - first - 1), 1, 256);
    for (const auto& [text, subtype] : encodings) {
        if (value.substr(second + 1) == text) raw.subtype = subtype;
    }
    if (raw.subtype == 0)
        usageError("option " + name + ": encoding must be one of s8 u8 s16 s24 s32 f32 f64");
    return raw;
}

std::string nonEmpty(const std::string& name, const std::string& value, const char* what) {
    if (value.empty()) usageError("option " + name + " needs " + what);
    return value;
}

namespace effect_table = sarnovellite::effect::sarnovellite_parameters;

// The bundled effect's ranges as its parameter table shows them.
static int shownBound(double shown) { return static_cast<int>(shown); }

constexpr OptionSpec kOptions[] = {
    {"-m", "--method", true,
     [](ParseState& s, const std::string& name, const std::string& value) {
         if (value == "classic") {
             s.options.method = EffectMethod::classic;
         } else if (value == "restore") {
             s.options.method = EffectMethod::restore;
         } else {
             usageError("option " + name + ": '" + value + "' is not classic or restore");
         }
         s.options.methodGiven = true;
     }},
    {"-s", "--sensitivity", true,
     [](ParseState& s, const std::string& name, const std::string& value) {
         s.options.sensitivity = parseBoundedInt(
             name, value, shownBound(sarnovellite::effect::shownMinimum(effect_table::kSensitivityInfo)),
             shownBound(sarnovellite::effect::shownMaximum(effect_table::kSensitivityInfo)));
         s.options.sensitivityGiven = true;
     }},
    {"-g", "--click-gap", true,
     [](ParseState& s, const std::string& name, const std::string& value) {
         s.options.clickGap = parseBoundedInt(
             name, value, shownBound(sarnovellite::effect::shownMinimum(effect_table::kClickGapInfo)),
             shownBound(sarnovellite::effect::shownMaximum(effect_table::kClickGapInfo)));
         s.options.clickGapGiven = true;
     }},
    {"", "--block", true,
     [](ParseState& s, const std::string& name, const std::string& value) {
         s.options.blockSize = parseBoundedInt(name, value, 1, kMaxBlockSize);
     }},
    {"-o", "--output-dir", true,
     [](ParseState& s, const std::string& name, const std::string& value) {
         s.options.outputDir = nonEmpty(name, value, "a folder");
     }},
    {"-j", "--jobs", true,
     [](ParseState& s, const std::string& name, const std::string& value) {
         s.options.jobs = parseBoundedInt(name, value, 1, kMaxJobs);
         s.jobsGiven = true;
     }},
    {"", "--report", true,
     [](ParseState& s, const std::string& name, const std::string& value) {
         s.options.reportPath = nonEmpty(name, value, "a file name");
     }},
    {"", "--plugin", true,
     [](ParseState& s, const std::string& name, const std::string& value) {
         s.options.pluginPath = nonEmpty(name, value, "a file name");
     }},
    {"", "--labels", true,
     [](ParseState& s, const std::string& name, const std::string& value) {
         s.options.labelsPath = nonEmpty(name, value, "a file name");
     }},
    {"", "--removed", true,
     [](ParseState& s, const std::string& name, const std::string& value) {
         s.options.removedPath = nonEmpty(name, value, "a file name");
     }},
    {"-q", "--quiet", false,
     [](ParseState& s, const std::string&, const std::string&) { s.options.quiet = true; }},
    {"", "--keep-latency", false,
     [](ParseState& s, const std::string&, const std::string&) { s.options.keepLatency = true; }},
    {"", "--quality", true,
     [](ParseState& s, const std::string& name, const std::string& value) {
         s.options.quality = parseBoundedInt(name, value, 0, 10);
     }},
    {"", "--raw", true,
     [](ParseState& s, const std::string& name, const std::string& value) {
         s.options.rawInput = parseRawFormat(name, value);
     }},
    {"", "--accept-damaged", false,
     [](ParseState& s, const std::string&, const std::string&) { s.options.acceptDamaged = true; }},
    {"-h", "--help", false, [](ParseState& s, const std::string&, const std::string&) { s.wantHelp = true; }},
    {"", "--version", false,
     [](ParseState& s, const std::string&, const std::string&) { s.wantVersion = true; }},
};

// Working through an archive: folder trees, file lists, resuming, fixity.
constexpr OptionSpec kArchiveOptions[] = {
    {"-r", "--recursive", false,
     [](ParseState& s, const std::string&, const std::string&) { s.options.recursive = true; }},
    {"", "--follow-symlinks", false,
     [](ParseState& s, const std::string&, const std::string&) { s.options.followSymlinks = true; }},
    {"", "--files-from", true,
     [](ParseState& s, const std::string& name, const std::string& value) {
         s.options.filesFrom = nonEmpty(name, value, "a file name (or - for standard input)");
     }},
    {"-0", "--null", false,
     [](ParseState& s, const std::string&, const std::string&) { s.options.nullSeparated = true; }},
    {"-n", "--skip-existing", false,
     [](ParseState& s, const std::string&, const std::string&) { s.options.skipExisting = true; }},
    {"", "--checksums", false,
     [](ParseState& s, const std::string&, const std::string&) { s.options.checksums = true; }},
};

const OptionSpec* findOption(std::string_view name) {
    for (const OptionSpec& spec : kOptions) {
        if ((!spec.shortName.empty() && name == spec.shortName) || name == spec.longName) return &spec;
    }
    for (const OptionSpec& spec : kArchiveOptions) {
        if ((!spec.shortName.empty() && name == spec.shortName) || name == spec.longName) return &spec;
    }
    return nullptr;
}

// The archive options that only make sense with -o FOLDER.
void checkArchiveOptions(const ParseState& state) {
    const CliOptions& o = state.options;
    if (o.outputDir.empty() && (o.recursive || !o.filesFrom.empty() || o.skipExisting)) {
        usageError("-r, --files-from and --skip-existing work in batch mode: give -o FOLDER");
    }
    if (o.nullSeparated && o.filesFrom.empty()) usageError("-0 describes the list of --files-from");
    if (o.followSymlinks && !o.recursive) usageError("--follow-symlinks goes with -r");
    for (const std::string& name : state.positional) {
        if (name == "-" && o.filesFrom == "-") usageError("standard input cannot hold the list and audio");
    }
}

// Handles the option at argv[i] ("--name=value", "--name value", "-sVALUE",
// "-s VALUE" or a flag); returns the index of the last argument it used.
int parseOption(ParseState& state, int i, int argc, const char* const* argv) {
    const std::string arg = argv[i];
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
    if (spec == nullptr && restoreOption(name) != nullptr) {
        if (!hasInlineValue) {
            if (i + 1 >= argc) usageError("option " + name + " needs a value");
            value = argv[++i];
        }
        setRestoreOption(state.options, name, value);
        return i;
    }
    if (spec == nullptr) usageError("unknown option '" + arg + "'");
    if (spec->takesValue && !hasInlineValue) {
        if (i + 1 >= argc) usageError("option " + name + " needs a value");
        value = argv[++i];
    } else if (!spec->takesValue && hasInlineValue) {
        usageError("option " + name + " takes no value");
    }
    spec->handle(state, name, value);
    return i;
}

// "demo" as the first word that is not an option selects the demo, so
// `sarnovellite -s 5 demo out` works as well as `sarnovellite demo -s 5 out`;
// a file named demo is still reachable as ./demo or after "--".
ParseState parseArguments(int argc, const char* const* argv) {
    ParseState state;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (!optionsEnded && state.positional.empty() && state.options.mode != CliMode::demo &&
                arg == "demo") {
                state.options.mode = CliMode::demo;
            } else {
                state.positional.push_back(arg);
            }
        } else if (arg == "--") {
            optionsEnded = true;
        } else {
            i = parseOption(state, i, argc, argv);
        }
    }
    return state;
}

CliOptions demoOptions(const ParseState& state) {
    CliOptions options = state.options;
    const std::vector<std::string>& positional = state.positional;
    if (positional.size() > 1) usageError("demo takes at most one folder");
    if (!options.outputDir.empty()) usageError("demo takes no -o; give the folder after 'demo'");
    if (!options.reportPath.empty()) {
        usageError("demo takes no --report; it writes demo-regions.csv and demo-report.html into its folder");
    }
    if (!options.labelsPath.empty() || !options.removedPath.empty()) {
        usageError("demo takes no --labels or --removed; it writes demo-labels.txt and demo-removed.wav");
    }
    if (options.keepLatency) usageError("demo takes no --keep-latency; it compares aligned audio");
    if (state.jobsGiven) usageError("demo takes no -j; it processes one file");
    if (!positional.empty()) options.demoDir = positional[0];
    return options;
}

// The demo runs both effects and takes both kinds of settings; a file run
// takes those of the effect it runs.
void checkSettingsFitTheMethod(const CliOptions& options) {
    if (options.method == EffectMethod::restore && (options.sensitivityGiven || options.clickGapGiven))
        usageError("-s and -g are settings of -m classic; -m restore takes " + restoreOptionNames());
    if (options.method == EffectMethod::classic && options.restoreValuesGiven)
        usageError(restoreOptionNames() + " are settings of -m restore");
}

CliOptions fileOptions(const ParseState& state) {
    CliOptions options = state.options;
    checkSettingsFitTheMethod(options);
    const std::vector<std::string>& positional = state.positional;
    checkArchiveOptions(state);
    if (!options.outputDir.empty()) {
        if (!state.jobsGiven) options.jobs = defaultJobCount();
        if (positional.empty() && options.filesFrom.empty()) usageError("no input files given");
        if (!options.labelsPath.empty() || !options.removedPath.empty()) {
            usageError(
                "--labels and --removed name one file; they work on one INPUT OUTPUT pair, not with -o");
        }
        for (const std::string& name : positional) {
            if (name == "-") usageError("standard input ('-') takes INPUT OUTPUT, not -o");
        }
        options.mode = CliMode::batch;
        options.inputs = positional;
        return options;
    }
    if (positional.empty()) usageError("no input and output given");
    if (positional.size() == 1)
        usageError("no output given (use INPUT OUTPUT, or -o FOLDER for many inputs)");
    if (positional.size() > 2) usageError("too many files; use -o FOLDER to process several inputs");
    options.mode = CliMode::process;
    options.inputs = {positional[0]};
    options.output = positional[1];
    return options;
}

}  // namespace

int defaultJobCount() {
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp<unsigned>(cores == 0 ? 1 : cores, 1, kMaxJobs));
}

CliOptions parseCommandLine(int argc, const char* const* argv) {
    ParseState state = parseArguments(argc, argv);
    if (state.wantHelp || state.wantVersion) {
        state.options.mode = state.wantHelp ? CliMode::help : CliMode::version;
        return state.options;
    }

    const std::string& reportPath = state.options.reportPath;
    if (!reportPath.empty()) {
        const auto dot = reportPath.rfind('.');
        const std::string ext = dot == std::string::npos ? "" : reportPath.substr(dot);
        if (ext != ".csv" && ext != ".json" && ext != ".jsonl" && ext != ".html") {
            usageError("--report: the file name must end in .csv, .json, .jsonl or .html");
        }
    }
    const std::string& removedPath = state.options.removedPath;
    if (!removedPath.empty() && removedSignalFormat(removedPath) == 0) {
        usageError(
            "--removed: the file name must end in .wav, .w64, .rf64, .aif, .aiff, .caf or .au (a container "
            "for 64-bit float)");
    }
    return state.options.mode == CliMode::demo ? demoOptions(state) : fileOptions(state);
}
