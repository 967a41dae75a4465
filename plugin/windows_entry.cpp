// The Windows export of the plug-in's entry point. The export table maps the
// name `main` (and in the 64-bit DLL also `VSTPluginMain`) onto this function
// (see sarnovellite.def and sarnovellite_x64.def), because C++ does not allow
// a global function called main with this signature. C linkage and the C
// calling convention, as 32-bit hosts call it; 64-bit Windows has only one.
#include "plugin/plugin_main.h"

extern "C" AEffect* VSTCALLBACK sarnovellite_windows_main(audioMasterCallback audioMaster) {
    return createPluginInstance(audioMaster);
}
