#include "loader/shared_library.h"

#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <link.h>

#include <filesystem>
#endif

namespace sarnovellite::cli {

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

// GetProcAddress looks in the module itself only.
void* findOwnSymbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void closeLibrary(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }
#else
void* openLibrary(const std::string& path, std::string& error) {
    // dlopen only searches the library path for names without a slash.
    const std::string loadName = path.find('/') == std::string::npos ? "./" + path : path;
    void* handle = dlopen(loadName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = dlerror();
        error = why != nullptr ? why : "unknown reason";
    }
    return handle;
}

bool symbolBelongsTo(void* handle, void* symbol) {
    namespace fs = std::filesystem;
    Dl_info info{};
    link_map* map = nullptr;
    if (dladdr(symbol, &info) == 0 || dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr)
        return false;
    return reinterpret_cast<ElfW(Addr)>(info.dli_fbase) == map->l_addr ||
           (info.dli_fname != nullptr && map->l_name != nullptr &&
            fs::path(info.dli_fname) == fs::path(map->l_name));
}

void* findOwnSymbol(void* handle, const char* name) {
    void* symbol = dlsym(handle, name);
    return symbol != nullptr && symbolBelongsTo(handle, symbol) ? symbol : nullptr;
}

void closeLibrary(void* handle) { dlclose(handle); }
#endif

}  // namespace

SharedLibrary::SharedLibrary(const std::string& path) { handle_ = openLibrary(path, error_); }

SharedLibrary::~SharedLibrary() {
    if (handle_ != nullptr) closeLibrary(handle_);
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), error_(std::move(other.error_)) {}

void* SharedLibrary::symbol(const char* name) const {
    return handle_ != nullptr ? findOwnSymbol(handle_, name) : nullptr;
}

}  // namespace sarnovellite::cli
