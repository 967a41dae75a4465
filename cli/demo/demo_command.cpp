#include "demo/demo_command.h"

#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <vector>

#include "audio_io/sound_file.h"
#include "base/pending_output.h"
#include "base/tool_error.h"
#include "demo/demo_material.h"
#include "jobs/file_jobs.h"
#include "jobs/run_summary.h"
#include "pipeline/file_processor.h"
#include "reports/html_report.h"
#include "reports/label_track.h"
#include "reports/region_report.h"
#include "terminal/progress_display.h"

namespace fs = std::filesystem;

namespace {

void writeFloatWav(const std::string& path, const std::vector<float>& samples) {
    PendingOutput pending(path);
    SF_INFO info{};
    info.samplerate = DemoMaterial::kSampleRate;
    info.channels = DemoMaterial::kChannels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    std::unique_ptr<SNDFILE, SoundFileCloser> file(
        sf_open(pending.temporaryPath().c_str(), SFM_WRITE, &info));
    if (!file) throw ToolError(ExitStatus::badOutput, "cannot create " + path + ": " + sf_strerror(nullptr));
    const sf_count_t frames = static_cast<sf_count_t>(samples.size() / DemoMaterial::kChannels);
    if (sf_writef_float(file.get(), samples.data(), frames) != frames) {
        throw ToolError(ExitStatus::processingFailed,
                        "cannot write " + path + ": " + sf_strerror(file.get()));
    }
    file.reset();
    pending.commit();
}

std::vector<float> readFloatWav(const std::string& path) {
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SoundFileCloser> file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file)
        throw ToolError(ExitStatus::processingFailed,
                        "cannot read back " + path + ": " + sf_strerror(nullptr));
    std::vector<float> samples(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(file.get(), samples.data(), info.frames);
    return samples;
}

// 10 log10(signal energy / error energy) over the samples selected by `mask`
// (all samples when mask is empty).
double snrDecibels(const std::vector<float>& clean, const std::vector<float>& test,
                   const std::vector<char>& mask) {
    double signal = 0.0, error = 0.0;
    for (std::size_t i = 0; i < clean.size() && i < test.size(); ++i) {
        if (!mask.empty() && !mask[i]) continue;
        const double s = clean[i], e = static_cast<double>(test[i]) - clean[i];
        signal += s * s;
        error += e * e;
    }
    if (error == 0.0) return std::numeric_limits<double>::infinity();
    return 10.0 * std::log10(signal / error);
}

std::string decibels(double value) {
    char text[32];
    if (std::isinf(value)) return "exact";
    std::snprintf(text, sizeof text, "%.1f dB", value);
    return text;
}

// One effect's run over the damaged file.
struct DemoRun {
    FileOutcome outcome;
    std::vector<float> repaired;
};

// The table: every figure is the clean original's energy over the energy of
// the difference from it, so a repair that helps raises the number.
void printTable(const DemoMaterial& material, const DemoRun& classic, const DemoRun& restore) {
    std::vector<char> damagedMask(material.clean.size(), 0);
    std::vector<std::vector<char>> kindMasks(kDamageKinds, std::vector<char>(material.clean.size(), 0));
    for (const DamageSpan& span : material.spans) {
        for (std::int64_t f = span.start; f < span.end; ++f) {
            const auto i = static_cast<std::size_t>(f * DemoMaterial::kChannels + span.channel);
            damagedMask[i] = 1;
            kindMasks[static_cast<std::size_t>(span.kind)][i] = 1;
        }
    }
    auto line = [&](const char* label, const std::vector<char>& mask) {
        std::printf("  %-36s %10s %10s %10s\n", label,
                    decibels(snrDecibels(material.clean, material.damaged, mask)).c_str(),
                    decibels(snrDecibels(material.clean, classic.repaired, mask)).c_str(),
                    decibels(snrDecibels(material.clean, restore.repaired, mask)).c_str());
    };
    std::printf("\nError against the clean original (clean signal over error, in dB; higher is better):\n");
    std::printf("  %-36s %10s %10s %10s\n", "", "damaged", "classic", "restore");
    line("inside the damaged spans, all kinds", damagedMask);
    for (int k = 0; k < kDamageKinds; ++k) {
        char label[64];
        std::snprintf(label, sizeof label, "  %s (%d)", damageKindName(static_cast<DamageKind>(k)),
                      material.eventsOfKind[k]);
        line(label, kindMasks[static_cast<std::size_t>(k)]);
    }
    line("the whole file", {});
    std::printf(
        "  %d damage events added; the classic effect changed %lld regions, the restore effect %lld.\n",
        material.clicksAdded, static_cast<long long>(classic.outcome.regionCount),
        static_cast<long long>(restore.outcome.regionCount));
}

void printLimits(int sensitivity) {
    std::printf("\nWhat the classic detector leaves alone%s, and why:\n",
                sensitivity == 1 ? " at the default level" : "");
    std::printf(
        "  - Quiet clicks. A click must stand (6 - level) times above the window's typical peak of the\n"
        "    sample-to-sample difference: 5 times at level 1 (the default, the safest for music), 1 time at\n"
        "    level 5. Impulses in the drum passage hide below the hi-hat's own sharp edges. Try -s 5.\n"
        "  - Clicks on digital silence. With nothing else in the window, the click itself sets the\n"
        "    typical peak, so it never stands out, at any level.\n"
        "  - Ringing clicks (damped clicks, scratches of a millisecond or more). Their ringing adds\n"
        "    many peaks of its own, which raise the typical peak, so the click masks itself.\n");
}

void printWhatToOpen(const fs::path& folder, const char* sideFilesOf) {
    std::printf("\nCheck the repairs yourself (in %s; report, labels and removed signal of the %s effect):\n",
                folder.string().c_str(), sideFilesOf);
    std::printf(
        "  demo-report.html    open in a web browser: the whole file with every repair marked, and\n"
        "                      before/after close-ups of the repairs\n"
        "  demo-labels.txt     import as a label track beside demo-damaged.wav in an audio editor\n"
        "                      (Audacity: File > Import > Labels) and jump from repair to repair\n"
        "  demo-removed.wav    what the effect took out: listen for short ticks with silence between;\n"
        "                      a tone or a melody in it means music was removed with the clicks\n"
        "  demo-damaged.wav, demo-repaired.wav, demo-restored.wav, demo-clean.wav   compare by ear:\n"
        "                      the repaired (classic) and restored (restore) files should lose the\n"
        "                      ticks and keep the music; -m restore puts the restore effect's repairs\n"
        "                      into the report, labels and removed signal\n");
}

// Runs one effect over the damaged file into repairedPath; with side files,
// also the removed signal, regions and pictures.
DemoRun runEffect(CliOptions options, EffectMethod method, const std::string& damagedPath,
                  const std::string& repairedPath, const std::string& removedPath, bool showBar,
                  double audioSeconds, ProcessSettings& settings) {
    if (options.method != method) options.pluginPath.clear();  // --plugin stands for -m's effect
    options.method = method;
    setEffectSettings(options, settings);
    settings.keepRegions = !removedPath.empty();
    settings.keepPictures = !removedPath.empty();
    settings.removedPath = removedPath;
    DemoRun run;
    ProgressDisplay progress(showBar, false, audioSeconds);
    run.outcome = processFile(damagedPath, repairedPath, settings,
                              [&progress](double seconds) { progress.addAudio(seconds); });
    run.repaired = readFloatWav(repairedPath);
    return run;
}

}  // namespace

int runDemo(const CliOptions& options) {
    const fs::path folder = options.demoDir;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
        throw ToolError(ExitStatus::badOutput, "demo folder " + folder.string() + ": cannot be created");
    }
    const std::string damagedPath = (folder / "demo-damaged.wav").string();
    const std::string removedPath = (folder / "demo-removed.wav").string();

    const DemoMaterial material = makeDemoMaterial();
    writeFloatWav((folder / "demo-clean.wav").string(), material.clean);
    writeFloatWav(damagedPath, material.damaged);

    const bool showBar = !options.quiet && isatty(STDERR_FILENO);
    const double audioSeconds = static_cast<double>(material.frames()) / DemoMaterial::kSampleRate;
    const bool sideFilesOfRestore = options.method == EffectMethod::restore;
    ProcessSettings classicSettings, restoreSettings;
    DemoRun classic =
        runEffect(options, EffectMethod::classic, damagedPath, (folder / "demo-repaired.wav").string(),
                  sideFilesOfRestore ? "" : removedPath, showBar, audioSeconds, classicSettings);
    DemoRun restore =
        runEffect(options, EffectMethod::restore, damagedPath, (folder / "demo-restored.wav").string(),
                  sideFilesOfRestore ? removedPath : "", showBar, audioSeconds, restoreSettings);

    FileOutcome& sides = sideFilesOfRestore ? restore.outcome : classic.outcome;
    const ReportSettings reportSetup =
        reportSettingsFor(options, *(sideFilesOfRestore ? restoreSettings : classicSettings).plugin);
    writeRegionReport((folder / "demo-regions.csv").string(), reportSetup, {sides.regions});
    writeLabelTrack((folder / "demo-labels.txt").string(), sides.regions);
    writeHtmlReport((folder / "demo-report.html").string(),
                    {{sides.regions, std::move(sides.pictures), sides.changedSamples, sides.latencyFrames}},
                    reportSetup);

    std::printf(
        "Sarnovellite demo: %s of synthesised stereo music, damaged like a worn record, then repaired\n",
        formatDuration(audioSeconds).c_str());
    const auto speed = [audioSeconds](const FileOutcome& o) {
        return o.wallSeconds > 0 ? audioSeconds / o.wallSeconds : 0.0;
    };
    std::printf(
        "  classic: plug-in %s, sensitivity %d (1..5), click gap %d samples; %.2f s (%.0fx real time)\n",
        classicSettings.plugin->path().c_str(), classicSettings.sensitivity, classicSettings.clickGap,
        classic.outcome.wallSeconds, speed(classic.outcome));
    std::printf("  restore: plug-in %s, %s; %.2f s (%.0fx real time)\n",
                restoreSettings.plugin->path().c_str(),
                restoreSettings.settingsLine.substr(std::string("method restore; ").size()).c_str(),
                restore.outcome.wallSeconds, speed(restore.outcome));
    printTable(material, classic, restore);
    printLimits(classicSettings.sensitivity);
    printWhatToOpen(folder, sideFilesOfRestore ? "restore" : "classic");

    return 0;
}
