#include "base/plugin_guard.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kPathCapacity = 4096;
char pluginPath[kPathCapacity];
// Initial-exec TLS of the executable: read without any lazy allocation, so
// a signal handler may read it.
thread_local bool inPlugin = false;

}  // namespace

void guardPlugin(const std::string& path) {
    const std::size_t bytes = std::min(path.size(), kPathCapacity - 1);
    std::memcpy(pluginPath, path.data(), bytes);
    pluginPath[bytes] = '\0';
}

const char* guardedPluginPath() { return pluginPath; }

bool insidePluginCall() { return inPlugin; }

PluginCall::PluginCall() : outer_(!inPlugin) { inPlugin = true; }

PluginCall::~PluginCall() {
    if (outer_) inPlugin = false;
}
