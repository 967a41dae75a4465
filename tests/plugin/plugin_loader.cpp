#include "tests/plugin/plugin_loader.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

PluginLibrary::PluginLibrary() {
    handle = dlopen(SARNOVELLITE_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!handle) loadError = dlerror();
}

PluginLibrary::~PluginLibrary() {
    if (handle) dlclose(handle);
}

VstPluginMainProc PluginLibrary::entry(const char* symbol) const {
    if (!handle) return nullptr;
    return reinterpret_cast<VstPluginMainProc>(dlsym(handle, symbol));
}

PluginLibrary& pluginLibrary() {
    static PluginLibrary library;
    return library;
}

VstIntPtr VSTCALLBACK plainHostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

PluginInstance::PluginInstance() {
    VstPluginMainProc entry = pluginLibrary().entry("main");
    if (!entry) throw std::runtime_error("no main entry: " + pluginLibrary().error());
    effect = entry(plainHostCallback);
    if (!effect) throw std::runtime_error("main returned null");
}

PluginInstance::~PluginInstance() {
    if (effect) close();
}

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string PluginInstance::text(VstInt32 opcode, VstInt32 index) {
    char buffer[256];
    std::memset(buffer, 0, sizeof(buffer));
    dispatch(opcode, index, 0, buffer);
    return buffer;
}

void PluginInstance::run(const std::vector<float>& left, const std::vector<float>& right,
                         const std::vector<int>& callLengths, std::vector<float>& outLeft,
                         std::vector<float>& outRight) {
    const std::size_t total = left.size();
    outLeft.assign(total, 0.0f);
    outRight.assign(total, 0.0f);
    std::size_t done = 0;
    std::size_t call = 0;
    while (done < total) {
        const std::size_t n =
            std::min<std::size_t>(static_cast<std::size_t>(callLengths[call++ % callLengths.size()]), total - done);
        // Copies of the slice, as a host's own buffers would be.
        std::vector<float> inL(left.begin() + done, left.begin() + done + n);
        std::vector<float> inR(right.begin() + done, right.begin() + done + n);
        std::vector<float> oL(n, 123.0f), oR(n, -123.0f);
        float* inputs[2] = {inL.data(), inR.data()};
        float* outputs[2] = {oL.data(), oR.data()};
        effect->processReplacing(effect, inputs, outputs, static_cast<VstInt32>(n));
        std::copy(oL.begin(), oL.end(), outLeft.begin() + done);
        std::copy(oR.begin(), oR.end(), outRight.begin() + done);
        done += n;
    }
}

VstIntPtr PluginInstance::close() {
    const VstIntPtr answer = dispatch(effClose);
    effect = nullptr;
    return answer;
}
