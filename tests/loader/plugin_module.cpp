#include "tests/loader/plugin_module.h"

VstPluginMainProc PluginModule::entry(const char* name) const {
    return reinterpret_cast<VstPluginMainProc>(library.symbol(name));
}

AEffect* PluginModule::create(audioMasterCallback host) const {
    const VstPluginMainProc entryPoint = entry("main");
    return entryPoint != nullptr ? entryPoint(host) : nullptr;
}

VstIntPtr VSTCALLBACK versionAnsweringHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

VstIntPtr VSTCALLBACK silentHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }
