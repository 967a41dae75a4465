#include "tools/plugin_library.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <filesystem>
#include <vector>
#include <system_error>

#include "tools/plugin_guard.h"
#include "tools/tool_error.h"

namespace fs = std::filesystem;

namespace {

// dlsym on a library handle also searches the library's own dependencies; an
// entry point found there would belong to some other library, not this plug-in.
bool symbolBelongsTo(void* handle, void* symbol) {
    Dl_info info{};
    link_map* map = nullptr;
    if (dladdr(symbol, &info) == 0 || dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr)
        return false;
    return reinterpret_cast<ElfW(Addr)>(info.dli_fbase) == map->l_addr ||
           (info.dli_fname != nullptr && map->l_name != nullptr &&
            fs::path(info.dli_fname) == fs::path(map->l_name));
}

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

    // dlopen only searches the library path for names without a slash.
    const std::string loadName = path.find('/') == std::string::npos ? "./" + path : path;
    guardPlugin(path);
    void* handle = [&] {
        // A library's constructors run inside dlopen.
        const PluginCall call;
        return dlopen(loadName.c_str(), RTLD_NOW | RTLD_LOCAL);
    }();
    if (handle == nullptr) {
        const char* why = dlerror();
        throw ToolError(ExitStatus::badPlugin, "plug-in " + path + ": cannot be loaded: " +
                                                   (why != nullptr ? why : "unknown reason"));
    }
    void* symbol = nullptr;
    // Most Linux VST 2 libraries export `main`; some builds export only the
    // later name VSTPluginMain.
    for (const char* name : {"main", "VSTPluginMain"}) {
        void* candidate = dlsym(handle, name);
        if (candidate != nullptr && symbolBelongsTo(handle, candidate)) {
            symbol = candidate;
            break;
        }
    }
    if (symbol == nullptr) {
        dlclose(handle);
        throw ToolError(ExitStatus::badPlugin, "plug-in " + path + ": has no VST 2 entry point 'main'");
    }
    return std::shared_ptr<PluginLibrary>(
        new PluginLibrary(path, handle, reinterpret_cast<VstPluginMainProc>(symbol)));
}

PluginLibrary::~PluginLibrary() { dlclose(handle_); }

std::string findBundledPlugin() {
    const fs::path here = executableFolder();
    std::vector<fs::path> candidates;
    if (!here.empty()) candidates.push_back(here / "Sarnovellite.so");
#ifdef SARNOVELLITE_BUILD_TREE_PLUGIN
    candidates.push_back(SARNOVELLITE_BUILD_TREE_PLUGIN);
#endif
    if (!here.empty()) candidates.push_back(here / ".." / "lib" / "vst" / "Sarnovellite.so");
    for (const fs::path& candidate : candidates) {
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec)) return candidate.lexically_normal().string();
    }
    return {};
}
