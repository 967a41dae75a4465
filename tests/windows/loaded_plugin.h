// The plug-in DLL as a Windows host sees it: loaded with LoadLibrary, entry
// point found by its exported name, instances driven only through the record.
//
// The DLL path comes from the environment variable SARNOVELLITE_DLL when set,
// otherwise from the build (a Unix path, reached through Wine's Z: drive).
// Single-threaded test use only.
#pragma once

#include <string>

#include "host/aeffect.h"

#include <windows.h>

class LoadedPlugin {
public:
    LoadedPlugin();
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    bool loaded() const { return module_ != nullptr && entry_ != nullptr; }
    const std::string& path() const { return path_; }
    HMODULE module() const { return module_; }

    // Calls the exported entry point; null when the plug-in declines.
    AEffect* create(audioMasterCallback host) const { return entry_(host); }

private:
    std::string path_;
    HMODULE module_ = nullptr;
    VstPluginMainProc entry_ = nullptr;
};

// A host callback that answers audioMasterVersion with 2400 and 0 to the rest.
VstIntPtr VSTCALLBACK versionAnsweringHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float);

// A host callback that answers 0 to everything, audioMasterVersion included.
VstIntPtr VSTCALLBACK silentHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float);
