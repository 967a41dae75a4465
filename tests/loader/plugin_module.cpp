#include "tests/loader/plugin_module.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

#ifdef _WIN32
// Wine maps the Unix root to drive Z:, so an absolute Unix path becomes a
// Windows path by prefixing the drive and turning the separators round.
std::string windowsPathOf(std::string path) {
    if (!path.empty() && path.front() == '/') {
        for (char& c : path)
            if (c == '/') c = '\\';
        path = "Z:" + path;
    }
    return path;
}

void* openLibrary(const std::string& path, std::string& error) {
    HMODULE module = LoadLibraryA(windowsPathOf(path).c_str());
    if (module == nullptr) error = "LoadLibrary failed with error " + std::to_string(GetLastError());
    return reinterpret_cast<void*>(module);
}

void* findSymbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void closeLibrary(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }
#else
void* openLibrary(const std::string& path, std::string& error) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) error = dlerror();
    return handle;
}

void* findSymbol(void* handle, const char* name) { return dlsym(handle, name); }

void closeLibrary(void* handle) { dlclose(handle); }
#endif

}  // namespace

PluginModule::PluginModule(std::string path) : modulePath(std::move(path)) {
    handle = openLibrary(modulePath, loadError);
}

PluginModule::~PluginModule() {
    if (handle != nullptr) closeLibrary(handle);
}

VstPluginMainProc PluginModule::entry(const char* name) const {
    if (handle == nullptr) return nullptr;
    return reinterpret_cast<VstPluginMainProc>(findSymbol(handle, name));
}

AEffect* PluginModule::create(audioMasterCallback host) const {
    const VstPluginMainProc entryPoint = entry("main");
    return entryPoint != nullptr ? entryPoint(host) : nullptr;
}

VstIntPtr VSTCALLBACK versionAnsweringHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

VstIntPtr VSTCALLBACK silentHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }
