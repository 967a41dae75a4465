#include "options/help_text.h"

#include "base/tool_version.h"

std::string versionText() { return "sarnovellite " + toolVersion() + "\n"; }

namespace {

std::string usageAndOptions() {
    // The "  or:" lines are the form help2man takes into the manual's SYNOPSIS.
    return R"(Usage: sarnovellite [options] INPUT OUTPUT
  or:  sarnovellite [options] -o FOLDER INPUT...
  or:  sarnovellite demo [FOLDER]

Removes clicks and crackle from audio files with the Sarnovellite VST 2 effect
(or another 2-in/2-out VST 2 effect). Reads and writes what libsndfile handles
(WAV, FLAC, AIFF, Ogg, ...); the output keeps the input's format, sample
encoding, sample rate and channels, unless OUTPUT's extension names another
container (in.wav out.flac converts to FLAC, keeping the encoding if FLAC
takes it, else the nearest); a container it cannot write (.m4a, .aac,
...) is refused. Integer formats clip at full scale; clipped samples are
counted and reported.

Options:
  -s, --sensitivity N   detection sensitivity 1..5 (default 1; higher finds more)
  -g, --click-gap N     clicks closer than N samples are repaired as one, 8..64
                        (default 32)
      --block N         host block size in frames, 1..1048576 (default 512)
  -o, --output-dir DIR  batch mode: write each INPUT into DIR under its own name
                        (DIR is created when missing); ends with one line:
                        files done, failed, skipped (named twice), changes
  -j, --jobs N          batch mode: process N files at a time, 1..64 (default 1)
      --report FILE     write the repaired regions to FILE (.csv or .json): the
                        version and settings, then every file, those without
                        repairs and those that failed (with the reason) too;
                        .html: a page with the waveform, every repair marked,
                        and before/after close-ups (one page for all inputs)
      --labels FILE     INPUT OUTPUT only: write a label track (start, end,
                        text; tab-separated), one label per repaired region
      --removed FILE    INPUT OUTPUT only: write what the effect took out
                        (input - output) as 64-bit float: .wav, .w64, .rf64,
                        .aif, .aiff, .caf or .au
      --plugin PATH     use another VST 2 effect (2 inputs, 2 outputs); -s and
                        -g are sent only to Sarnovellite
      --keep-latency    write the effect's raw output, delayed by its latency,
                        instead of the aligned output
      --quality N       lossy outputs (Ogg Vorbis, Opus, MP3): quality 0..10,
                        10 best (default: close to a lossy input's bitrate,
                        else the library's default)
      --raw R:C:E       inputs are header-less little-endian samples: rate R,
                        C channels, encoding E (s8 u8 s16 s24 s32 f32 f64)
      --accept-damaged  process what can be read of a damaged input (fewer
                        frames than its header announces, or a decoder error)
                        with a warning, instead of failing
  -q, --quiet           no progress bar and no summary lines
  -h, --help            this text
      --version         the version
)";
}

std::string behaviour() {
    return R"(
The output is aligned with the input sample by sample and has the same
length: the effect's latency is taken from its record and compensated. Mono
files are fed to both effect inputs and written back as mono; files with more
than two channels are processed in pairs, a last odd channel as mono.

Repaired regions are found by comparing the output with the aligned input:
every run of samples that changed, per channel, with runs closer than 8
unchanged samples joined, is one region (start sample inclusive, end sample
exclusive, also in seconds).

The output is written to a temporary file next to it
(NAME.sarnovellite-partial-PID-XXXXXX) and renamed into place only when
complete: a failure or an interrupt leaves no partial file and an existing
output untouched; one left by a killed run (kill -9) is named by the next run
into that folder.
OUTPUT may not be INPUT.

INPUT or OUTPUT '-' is standard input or output, for pipes: WAV, AU or raw
(--raw) in;
AU out stays AU, anything else goes out as WAV (lengths marked unknown), and
no summary line is printed. A closed pipe is a failure (status 1).

demo [FOLDER] synthesises ten seconds of music, damages it like a worn record,
repairs it and writes demo-clean.wav, demo-damaged.wav, demo-repaired.wav,
demo-removed.wav, demo-regions.csv, demo-labels.txt and demo-report.html into
FOLDER (default: the current folder), then prints how much it helped and
which files to open.
)";
}

std::string exitStatus() {
    return R"(
Exit status:
  0    success
  1    reading, processing or writing failed part-way, the input is
       damaged (without --accept-damaged), or an output pipe was closed
  2    bad options or arguments
  3    input missing, unreadable, unsupported, or two inputs with one name
  4    output is the input, is a folder, names a container that cannot be
       written, or its folder is not writable or cannot be created; the
       report, labels or removed signal cannot be written there, or would
       overwrite an audio file or each other
  5    plug-in cannot be loaded, has no entry point 'main', returns no effect,
       is not (or stops being) a 2-in/2-out effect, reports a latency memory
       cannot hold, or called exit() mid-run
  130  interrupted (SIGINT, SIGTERM, SIGHUP)
In batch mode the other files are still processed; the status is that of the
first file (in command-line order) that failed.
)";
}

}  // namespace

std::string helpText() { return usageAndOptions() + behaviour() + exitStatus(); }
