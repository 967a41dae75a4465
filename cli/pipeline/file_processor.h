// Streams one audio file through the hosted effect into an output file.
//
// The input is read, processed and written in chunks of whole host blocks, so
// memory does not grow with the file's length. Channels are processed in
// pairs, one effect instance per pair (a last odd channel is fed to both
// inputs and the left output is kept). The effect's latency (its record's
// initialDelay) is compensated: the first `latency` output frames are dropped
// and the input is followed by `latency` frames holding its last frame (no
// step for the effect to take for a click), so the output is
// aligned sample-exactly and has the input's length. With keepLatency the raw
// effect output of the input's length is written instead. Format, subtype,
// rate, channel count and metadata (copyMetadata, copyUninterpretedChunks;
// a Broadcast WAV gets a coding-history line for this run) are kept (the container changes only
// when the output's extension names another; see chooseOutputFormat);
// integer formats clip.
//
// An input that decodes to fewer frames than its header announces, or with a
// decoder error, fails (ToolError(processingFailed)) unless acceptDamaged.
//
// With removedPath, the input minus the aligned output is written there too
// (see RemovedSignalWriter), whatever keepLatency says.
//
// The output appears only when complete (see PendingOutput). Throws ToolError.
// Safe to call from several threads at once for different files.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio_io/raw_input_format.h"
#include "capture/file_regions.h"
#include "capture/repair_pictures.h"
#include "hosting/channel_pairs.h"
#include "hosting/plugin_library.h"

// What the effects get (plug-in, sensitivity, click gap, block), and how the
// file around them is handled.
struct ProcessSettings : EffectSettings {
    bool keepLatency = false;
    bool keepRegions = false;    // fill FileOutcome::regions.regions
    bool keepPictures = false;   // fill FileOutcome::pictures
    std::string removedPath;     // non-empty: also write input minus output there
    bool acceptDamaged = false;  // process what can be read of a damaged input
    int quality = -1;            // lossy outputs: 0..10, or -1 to follow the input (see lossy_quality.h)
    RawInputFormat rawInput;     // set: inputs are header-less samples of this format
};

struct FileOutcome {
    FileRegions regions;      // regions filled only with keepRegions
    RepairPictures pictures;  // filled only with keepPictures
    std::int64_t regionCount = 0;
    std::int64_t changedSamples = 0;
    std::int64_t clippedSamples = 0;  // clipped at full scale on the way out
    int latencyFrames = 0;
    double wallSeconds = 0.0;
    std::string damage;                           // empty for an intact input, else what was read of it
    bool reencoded = false;                       // written in a lossy encoding: every sample changed
    std::vector<std::string> metadataNotCarried;  // "iXML chunk", "FLAC picture", ...
    // Whole lines ("sarnovellite: note: ...", "sarnovellite: warning: ...") about
    // this file, in the order they arose; the caller prints them.
    std::vector<std::string> notices;
};

namespace sarnovellite::cli {

// Told the seconds of audio each finished chunk held, on the thread that runs
// processFile; a progress display sums them. Must not throw.
using AudioProgress = std::function<void(double seconds)>;

}  // namespace sarnovellite::cli

FileOutcome processFile(const std::string& inputPath, const std::string& outputPath,
                        const ProcessSettings& settings, const sarnovellite::cli::AudioProgress& progress);

// Throws ToolError(ExitStatus::badOutput) when outputPath names the same file
// as inputPath (also through links) or an existing folder.
void checkOutputPath(const std::string& inputPath, const std::string& outputPath);
