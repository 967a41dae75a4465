// Loads the built Sarnovellite.so the way a host does and creates instances
// through its exported entry point. Only the record and its entries are used
// afterwards; nothing of the plug-in's own code is linked into the tests.
#pragma once

#include <string>
#include <vector>

#include "host/aeffect.h"

class PluginLibrary {
public:
    // dlopen with RTLD_NOW: every symbol the library needs must resolve.
    PluginLibrary();
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    bool loaded() const { return handle != nullptr; }
    const std::string& error() const { return loadError; }
    VstPluginMainProc entry(const char* symbol) const;

private:
    void* handle = nullptr;
    std::string loadError;
};

// The library, loaded once per test process.
PluginLibrary& pluginLibrary();

// A host callback that answers 2400 to the version request and 0 otherwise.
VstIntPtr VSTCALLBACK plainHostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float);

// One instance, closed through effClose when the object goes away.
class PluginInstance {
public:
    PluginInstance();
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    AEffect* record() const { return effect; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    std::string text(VstInt32 opcode, VstInt32 index = 0);  // text-returning opcodes
    void setParameter(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
    float getParameter(VstInt32 index) { return effect->getParameter(effect, index); }
    // Runs the stereo stream (left/right, same length) through processReplacing in
    // calls of the given lengths, cycling through them; returns the outputs.
    void run(const std::vector<float>& left, const std::vector<float>& right, const std::vector<int>& callLengths,
             std::vector<float>& outLeft, std::vector<float>& outRight);
    VstIntPtr close();  // effClose; the instance is gone afterwards

private:
    AEffect* effect = nullptr;
};
