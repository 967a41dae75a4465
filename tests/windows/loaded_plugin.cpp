#include "tests/windows/loaded_plugin.h"

#include <cstdlib>

namespace {

// Wine maps the Unix root to drive Z:, so an absolute Unix path becomes a
// Windows path by prefixing the drive and turning the separators round.
std::string windowsPathOf(std::string path)
{
    if (!path.empty() && path.front() == '/') {
        for (char& c : path)
            if (c == '/') c = '\\';
        path = "Z:" + path;
    }
    return path;
}

}  // namespace

LoadedPlugin::LoadedPlugin()
{
    const char* fromEnvironment = std::getenv("SARNOVELLITE_DLL");
    path_ = windowsPathOf(fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment
                                                                                 : SARNOVELLITE_DLL_PATH);
    module_ = LoadLibraryA(path_.c_str());
    if (module_ != nullptr)
        entry_ = reinterpret_cast<VstPluginMainProc>(reinterpret_cast<void*>(GetProcAddress(module_, "main")));
}

LoadedPlugin::~LoadedPlugin()
{
    if (module_ != nullptr) FreeLibrary(module_);
}

VstIntPtr VSTCALLBACK versionAnsweringHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

VstIntPtr VSTCALLBACK silentHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float)
{
    return 0;
}
