// A plug-in library loaded the way a host loads it, for the tests and the file
// runner: dlopen (every symbol resolved at once) on Linux, LoadLibrary on
// Windows, where an absolute Unix path is reached through Wine's Z: drive.
// Instances are made only through an exported entry point; nothing of the
// plug-in's own code is linked in. Single-threaded loading and unloading.
#pragma once

#include <string>

#include "vst2/record/aeffect.h"

class PluginModule {
public:
    explicit PluginModule(std::string path);
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    bool loaded() const { return handle != nullptr; }
    const std::string& path() const { return modulePath; }
    const std::string& error() const { return loadError; }  // why loading failed

    // The exported function of that name; null when absent or not loaded.
    VstPluginMainProc entry(const char* name) const;
    // Calls the entry point `main`; null when it is absent or the plug-in declines.
    AEffect* create(audioMasterCallback host) const;

private:
    std::string modulePath;
    std::string loadError;
    void* handle = nullptr;
};

// A host callback that answers audioMasterVersion with 2400 and 0 to the rest.
VstIntPtr VSTCALLBACK versionAnsweringHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float);

// A host callback that answers 0 to everything, audioMasterVersion included.
VstIntPtr VSTCALLBACK silentHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float);
