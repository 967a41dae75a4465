// A plug-in library loaded the way a host loads it, for the tests and the file
// runner: through the command-line host's loader (loader/shared_library.h:
// dlopen on Linux, LoadLibrary under Wine), so the tests load plug-ins exactly
// as the host does. Instances are made only through an exported entry point;
// nothing of the plug-in's own code is linked in. Single-threaded loading and
// unloading.
#pragma once

#include <string>
#include <utility>

#include "vst2/record/aeffect.h"
#include "loader/shared_library.h"

class PluginModule {
public:
    explicit PluginModule(std::string path) : modulePath(std::move(path)), library(modulePath) {}

    bool loaded() const { return library.loaded(); }
    const std::string& path() const { return modulePath; }
    const std::string& error() const { return library.error(); }  // why loading failed

    // The exported function of that name; null when absent or not loaded.
    VstPluginMainProc entry(const char* name) const;
    // Calls the entry point `main`; null when it is absent or the plug-in declines.
    AEffect* create(audioMasterCallback host) const;

private:
    std::string modulePath;
    sarnovellite::cli::SharedLibrary library;
};

// A host callback that answers audioMasterVersion with 2400 and 0 to the rest.
VstIntPtr VSTCALLBACK versionAnsweringHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float);

// A host callback that answers 0 to everything, audioMasterVersion included.
VstIntPtr VSTCALLBACK silentHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float);
