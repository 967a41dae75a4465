#include "jobs/version_report.h"

#include <sndfile.h>

#include "base/tool_error.h"
#include "hosting/hosted_effect.h"
#include "jobs/file_jobs.h"
#include "options/help_text.h"

namespace sarnovellite::cli {

namespace {

// A VST 2 version number as effects write it: 2103 or 0x020103 for 2.1.3.
std::string versionNumberText(int version) {
    if (version >= 0x10000) {
        return std::to_string(version >> 16) + "." + std::to_string((version >> 8) & 0xFF) + "." +
               std::to_string(version & 0xFF);
    }
    return std::to_string(version);
}

std::string effectLine(const CliOptions& options) {
    try {
        const auto plugin = openChosenPlugin(options);
        HostedEffect effect(plugin, 44100.0, 512);
        const std::string name = effect.effectName();
        return "effect: " + plugin->path() + " (" + (name.empty() ? "unnamed" : name) + ", version " +
               versionNumberText(effect.vendorVersion()) + ")\n";
    } catch (const ToolError& error) {
        return std::string("effect: none: ") + error.what() + "\n";
    }
}

}  // namespace

std::string versionReport(const CliOptions& options) {
    return versionText() + "libsndfile: " + sf_version_string() + "\n" + effectLine(options);
}

}  // namespace sarnovellite::cli
