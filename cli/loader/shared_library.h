// A plug-in library opened the way a host opens one, the one loader of the
// tree: the command-line host's PluginLibrary and the tests' PluginModule both
// stand on it.
//
// Linux: dlopen with every symbol resolved at once and kept local; a name
// without a slash is taken as a path in the working folder, never searched
// for on the library path. Windows: LoadLibrary, where an absolute Unix path
// is reached through Wine's Z: drive. Opening and closing belong to one
// thread at a time; a symbol found may be called from any.
#pragma once

#include <string>

namespace sarnovellite::cli {

class SharedLibrary {
public:
    // Opens `path`; loaded() says whether that worked and error() why not.
    explicit SharedLibrary(const std::string& path);
    ~SharedLibrary();
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&&) = delete;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    // The loader's reason, or "unknown reason"; empty once loaded.
    const std::string& error() const { return error_; }

    // The exported symbol `name` defined in this library itself, not in one it
    // depends on (dlsym alone would search those too); null when there is
    // none or nothing is loaded.
    void* symbol(const char* name) const;

private:
    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace sarnovellite::cli
