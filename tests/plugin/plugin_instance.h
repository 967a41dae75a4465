// The built Sarnovellite.so as the plug-in tests use it: loaded once, as a host
// does, and instances created through its exported entry point. Only the
// record and its entries are used afterwards.
#pragma once

#include <string>
#include <vector>

#include "tests/loader/plugin_module.h"

// The built Sarnovellite.so and SarnovelliteRestore.so, each loaded once per
// test process.
const PluginModule& pluginLibrary();
const PluginModule& restorePluginLibrary();

// One instance, closed through effClose when the object goes away.
class PluginInstance {
public:
    PluginInstance() : PluginInstance(pluginLibrary()) {}
    explicit PluginInstance(const PluginModule& library, audioMasterCallback host = versionAnsweringHost);
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
    void run(const std::vector<float>& left, const std::vector<float>& right,
             const std::vector<int>& callLengths, std::vector<float>& outLeft, std::vector<float>& outRight);
    VstIntPtr close();  // effClose; the instance is gone afterwards

private:
    AEffect* effect = nullptr;
};
