// A VST 2 plug-in library opened with dlopen (loader/shared_library.h), and where to find the bundled one.
//
// A PluginLibrary is shared (shared_ptr) by all effect instances made from it
// and closes the library when the last one goes. Opening throws
// ToolError(ExitStatus::badPlugin) with a one-line reason.
#pragma once

#include <memory>
#include <string>

#include "vst2/record/aeffect.h"
#include "loader/shared_library.h"

class PluginLibrary {
public:
    static std::shared_ptr<PluginLibrary> open(const std::string& path);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const std::string& path() const { return path_; }
    VstPluginMainProc entryPoint() const { return entry_; }

private:
    PluginLibrary(std::string path, sarnovellite::cli::SharedLibrary library, VstPluginMainProc entry)
        : path_(std::move(path)), library_(std::move(library)), entry_(entry) {}
    std::string path_;
    sarnovellite::cli::SharedLibrary library_;  // closed when the last instance's PluginLibrary goes
    VstPluginMainProc entry_;
};

// The bundled Sarnovellite.so: next to the executable, then the build tree the
// executable was built in, then the installed place relative to the
// executable (../lib/vst/sarnovellite/ from bin/, cmake/sarnovellite_install.cmake).
// Returns an empty string when none exists.
std::string findBundledPlugin();
