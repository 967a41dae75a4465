#include "audio_io/removed_signal_format.h"

#include <sndfile.h>

#include <cctype>
#include <filesystem>

namespace {

std::string lowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

}  // namespace

int removedSignalFormat(const std::string& path) {
    const std::string ext = lowerExtension(path);
    // RF64 written as plain WAV while it fits (auto-downgrade, set on open).
    if (ext == ".wav" || ext == ".rf64") return SF_FORMAT_RF64 | SF_FORMAT_DOUBLE;
    if (ext == ".w64") return SF_FORMAT_W64 | SF_FORMAT_DOUBLE;
    if (ext == ".aif" || ext == ".aiff") return SF_FORMAT_AIFF | SF_FORMAT_DOUBLE;
    if (ext == ".caf") return SF_FORMAT_CAF | SF_FORMAT_DOUBLE;
    if (ext == ".au") return SF_FORMAT_AU | SF_FORMAT_DOUBLE;
    return 0;
}

bool removedSignalIsWav(const std::string& path) { return lowerExtension(path) == ".wav"; }
