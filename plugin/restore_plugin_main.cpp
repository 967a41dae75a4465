// The entry body of the Sarnovellite Restore library: as plugin_main.cpp, with
// a SarnovelliteRestore instance behind the record.
#include "plugin/plugin_main.h"
#include "vst2/effects/sarnovellite_restore.h"

AEffect* createPluginInstance(audioMasterCallback audioMaster) {
    if (!audioMaster) return nullptr;
    if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    try {
        return (new SarnovelliteRestore(audioMaster))->getAeffect();
    } catch (...) {
        // The caller is C code: out of memory becomes the null record.
        return nullptr;
    }
}
