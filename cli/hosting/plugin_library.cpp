#include "hosting/plugin_library.h"

#include <unistd.h>

#include <filesystem>
#include <vector>
#include <system_error>

#include "base/plugin_guard.h"
#include "base/tool_error.h"

namespace fs = std::filesystem;

namespace {

fs::path executableFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}

}  // namespace

std::shared_ptr<PluginLibrary> PluginLibrary::open(const std::string& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) throw ToolError(ExitStatus::badPlugin, "plug-in " + path + ": no such file");
    if (fs::is_directory(path, ec))
        throw ToolError(ExitStatus::badPlugin, "plug-in " + path + ": is a folder");

    guardPlugin(path);
    sarnovellite::cli::SharedLibrary library = [&] {
        // A library's constructors run inside dlopen.
        const PluginCall call;
        return sarnovellite::cli::SharedLibrary(path);
    }();
    if (!library.loaded())
        throw ToolError(ExitStatus::badPlugin, "plug-in " + path + ": cannot be loaded: " + library.error());
    void* symbol = nullptr;
    // Most Linux VST 2 libraries export `main`; some builds export only the
    // later name VSTPluginMain.
    for (const char* name : {"main", "VSTPluginMain"}) {
        symbol = library.symbol(name);
        if (symbol != nullptr) break;
    }
    if (symbol == nullptr)
        throw ToolError(ExitStatus::badPlugin, "plug-in " + path + ": has no VST 2 entry point 'main'");
    return std::shared_ptr<PluginLibrary>(
        new PluginLibrary(path, std::move(library), reinterpret_cast<VstPluginMainProc>(symbol)));
}

PluginLibrary::~PluginLibrary() = default;

std::string findBundledPlugin() {
    const fs::path here = executableFolder();
    std::vector<fs::path> candidates;
    if (!here.empty()) candidates.push_back(here / "Sarnovellite.so");
#ifdef SARNOVELLITE_BUILD_TREE_PLUGIN
    candidates.push_back(SARNOVELLITE_BUILD_TREE_PLUGIN);
#endif
    if (!here.empty()) candidates.push_back(here / SARNOVELLITE_INSTALLED_PLUGIN_DIR / "Sarnovellite.so");
    for (const fs::path& candidate : candidates) {
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec)) return candidate.lexically_normal().string();
    }
    return {};
}
