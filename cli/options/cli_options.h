// Command-line options of `sarnovellite` and their parsing.
//
// parseCommandLine never touches the file system; it only checks syntax and
// ranges and throws ToolError(ExitStatus::usage) with a one-line message.
#pragma once

#include <string>
#include <vector>

#include "audio_io/raw_input_format.h"

enum class CliMode { process, batch, demo, help, version };

// Which bundled effect runs: the Sarnovellite effect (Sarnovellite.so) or the
// model-based restore effect (SarnovelliteRestore.so).
enum class EffectMethod { classic, restore };

struct CliOptions {
    CliMode mode = CliMode::help;
    std::vector<std::string> inputs;  // one for process, one or more for batch
    std::string output;               // process mode
    std::string outputDir;            // batch mode (-o)
    std::string demoDir = ".";        // demo mode
    EffectMethod method = EffectMethod::classic;
    bool methodGiven = false;
    std::string pluginPath;   // empty: the bundled library of `method`
    std::string reportPath;   // empty: no report
    std::string labelsPath;   // process mode; empty: no label track
    std::string removedPath;  // process mode; empty: no removed signal
    int sensitivity = 1;      // 1..5, as the plug-in displays it
    int clickGap = 32;        // 8..64 samples
    bool sensitivityGiven = false;
    bool clickGapGiven = false;
    // -m restore: one shown value per row of restore_parameters::kTable, in
    // its order and unit; empty means every default.
    std::vector<double> restoreValues;
    bool restoreValuesGiven = false;
    int blockSize = 512;  // host block, 1..kMaxBlockSize frames
    int jobs = 1;         // files processed in parallel, 1..kMaxJobs (default: defaultJobCount())
    bool quiet = false;
    bool keepLatency = false;
    bool acceptDamaged = false;  // process what can be read of damaged inputs
    int quality = -1;            // lossy outputs 0..10; -1: follow the input
    RawInputFormat rawInput;     // header-less inputs
    // Archives: batch mode only.
    bool recursive = false;       // -r: folders among the inputs are walked
    bool followSymlinks = false;  // -r also enters linked folders
    std::string filesFrom;        // --files-from: a list of inputs ("-": standard input)
    bool nullSeparated = false;   // -0: that list is NUL-separated
    bool skipExisting = false;    // -n: an output that exists is left alone
    bool checksums = false;       // SHA-256 of every input and output in the report
};

// -j without a number: one file per core (see cli/README.md for why).
int defaultJobCount();

inline constexpr int kMaxBlockSize = 1 << 20;
inline constexpr int kMaxJobs = 64;

CliOptions parseCommandLine(int argc, const char* const* argv);
