#include "tests/plugin/plugin_instance.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

const PluginModule& pluginLibrary() {
    static const PluginModule library(SARNOVELLITE_PLUGIN_PATH);
    return library;
}

const PluginModule& restorePluginLibrary() {
    static const PluginModule library(SARNOVELLITE_RESTORE_PLUGIN_PATH);
    return library;
}

PluginInstance::PluginInstance(const PluginModule& library, audioMasterCallback host) {
    VstPluginMainProc entry = library.entry("main");
    if (!entry) throw std::runtime_error("no main entry: " + library.error());
    effect = entry(host);
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
        const std::size_t n = std::min<std::size_t>(
            static_cast<std::size_t>(callLengths[call++ % callLengths.size()]), total - done);
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
