#include "tools/demo_command.h"

#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <vector>

#include "tools/demo_material.h"
#include "tools/file_jobs.h"
#include "tools/file_processor.h"
#include "tools/pending_output.h"
#include "tools/progress_display.h"
#include "tools/region_report.h"
#include "tools/sound_file.h"
#include "tools/tool_error.h"

namespace fs = std::filesystem;

namespace {

void writeFloatWav(const std::string& path, const std::vector<float>& samples) {
    PendingOutput pending(path);
    SF_INFO info{};
    info.samplerate = DemoMaterial::kSampleRate;
    info.channels = DemoMaterial::kChannels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    std::unique_ptr<SNDFILE, SoundFileCloser> file(sf_open(pending.temporaryPath().c_str(), SFM_WRITE, &info));
    if (!file) throw ToolError(ExitStatus::badOutput, "cannot create " + path + ": " + sf_strerror(nullptr));
    const sf_count_t frames = static_cast<sf_count_t>(samples.size() / DemoMaterial::kChannels);
    if (sf_writef_float(file.get(), samples.data(), frames) != frames) {
        throw ToolError(ExitStatus::processingFailed, "cannot write " + path + ": " + sf_strerror(file.get()));
    }
    file.reset();
    pending.commit();
}

std::vector<float> readFloatWav(const std::string& path) {
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SoundFileCloser> file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) throw ToolError(ExitStatus::processingFailed, "cannot read back " + path + ": " + sf_strerror(nullptr));
    std::vector<float> samples(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(file.get(), samples.data(), info.frames);
    return samples;
}

// 10 log10(signal energy / error energy) over the samples selected by `mask`
// (all samples when mask is empty).
double snrDecibels(const std::vector<float>& clean, const std::vector<float>& test, const std::vector<char>& mask) {
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

}  // namespace

int runDemo(const CliOptions& options) {
    const fs::path folder = options.demoDir;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
        throw ToolError(ExitStatus::badOutput, "demo folder " + folder.string() + ": cannot be created");
    }
    const std::string cleanPath = (folder / "demo-clean.wav").string();
    const std::string damagedPath = (folder / "demo-damaged.wav").string();
    const std::string repairedPath = (folder / "demo-repaired.wav").string();
    const std::string reportPath = (folder / "demo-regions.csv").string();

    ProcessSettings settings;
    settings.plugin = openChosenPlugin(options);
    settings.sensitivity = options.sensitivity;
    settings.clickGap = options.clickGap;
    settings.blockSize = options.blockSize;
    settings.keepRegions = true;

    const DemoMaterial material = makeDemoMaterial();
    writeFloatWav(cleanPath, material.clean);
    writeFloatWav(damagedPath, material.damaged);

    const bool showBar = !options.quiet && isatty(STDERR_FILENO);
    FileOutcome outcome;
    {
        ProgressDisplay progress(showBar, false, static_cast<double>(material.frames()) / DemoMaterial::kSampleRate);
        outcome = processFile(damagedPath, repairedPath, settings, progress);
    }
    writeRegionReport(reportPath, reportSettingsFor(options, *settings.plugin), {outcome.regions});
    const std::vector<float> repaired = readFloatWav(repairedPath);

    // One mask over every damaged sample, and one per kind of damage, since
    // how well a kind is repaired differs widely (a scratch that rings for
    // milliseconds is no click to this detector).
    std::vector<char> damagedMask(material.clean.size(), 0);
    std::vector<std::vector<char>> kindMasks(kDamageKinds, std::vector<char>(material.clean.size(), 0));
    for (const DamageSpan& span : material.spans) {
        for (std::int64_t f = span.start; f < span.end; ++f) {
            const auto i = static_cast<std::size_t>(f * DemoMaterial::kChannels + span.channel);
            damagedMask[i] = 1;
            kindMasks[static_cast<std::size_t>(span.kind)][i] = 1;
        }
    }
    const double audioSeconds = static_cast<double>(material.frames()) / DemoMaterial::kSampleRate;

    std::printf("Sarnovellite demo: %s of synthesised stereo music, damaged and repaired (%s)\n",
                formatDuration(audioSeconds).c_str(), settings.plugin->path().c_str());
    std::printf("  %-30s %12s %12s\n", "", "damaged", "repaired");
    std::printf("  %-30s %12d %12s\n", "clicks added", material.clicksAdded, "");
    std::printf("  %-30s %12s %12lld\n", "regions repaired", "", static_cast<long long>(outcome.regionCount));
    std::printf("  %-30s %12s %12s\n", "SNR vs clean, damaged spans", decibels(snrDecibels(material.clean, material.damaged, damagedMask)).c_str(),
                decibels(snrDecibels(material.clean, repaired, damagedMask)).c_str());
    for (int k = 0; k < kDamageKinds; ++k) {
        const std::vector<char>& mask = kindMasks[static_cast<std::size_t>(k)];
        char label[64];
        std::snprintf(label, sizeof label, "  %s (%d)", damageKindName(static_cast<DamageKind>(k)), material.eventsOfKind[k]);
        std::printf("  %-30s %12s %12s\n", label, decibels(snrDecibels(material.clean, material.damaged, mask)).c_str(),
                    decibels(snrDecibels(material.clean, repaired, mask)).c_str());
    }
    std::printf("  %-30s %12s %12s\n", "SNR vs clean, overall", decibels(snrDecibels(material.clean, material.damaged, {})).c_str(),
                decibels(snrDecibels(material.clean, repaired, {})).c_str());
    std::printf("  processed in %.2f s (%.1fx real time); files in %s\n", outcome.wallSeconds,
                outcome.wallSeconds > 0 ? audioSeconds / outcome.wallSeconds : 0.0, folder.string().c_str());
    return 0;
}
