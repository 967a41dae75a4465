// The ELF exports of the plug-in library: the entry point under the symbol
// `main`, which every VST 2 host looks up, and under `VSTPluginMain`, which
// most Linux hosts try first. C++ forbids defining a global function named
// main with this signature, so the function carries another name and an
// assembler label gives its symbol the exported name.
#include "plugin/plugin_main.h"

#define SARNOVELLITE_EXPORT __attribute__((visibility("default")))

extern "C" SARNOVELLITE_EXPORT AEffect* sarnovelliteEntryAsMain(audioMasterCallback audioMaster) __asm__(
    "main");
extern "C" SARNOVELLITE_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster);

extern "C" AEffect* sarnovelliteEntryAsMain(audioMasterCallback audioMaster) {
    return createPluginInstance(audioMaster);
}

extern "C" AEffect* VSTPluginMain(audioMasterCallback audioMaster) {
    return createPluginInstance(audioMaster);
}
