#include "hosting/hosted_effect.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "base/plugin_guard.h"
#include "base/tool_error.h"

// What the host callback answers for one instance. The record's `user` field
// points here once the record exists; during the entry-point call the record
// does not exist yet, so the context travels in a thread-local.
struct HostContext {
    double sampleRate;
    int blockSize;
};

namespace {

thread_local HostContext* constructingContext = nullptr;

// Hosts conventionally create, switch and close plug-ins from one thread at a
// time; some plug-ins rewrite process-wide state while they are constructed.
// With several files in flight, those calls are serialised here.
std::mutex lifecycleMutex;

constexpr VstInt32 kUniqueIdSarnovellite = 0x39353733;  // '9573'
constexpr VstIntPtr kHostVstVersion = 2400;
constexpr VstIntPtr kProcessLevelOffline = 4;

const HostContext* contextOf(AEffect* effect) {
    if (effect != nullptr && effect->user != nullptr) return static_cast<const HostContext*>(effect->user);
    return constructingContext;
}

std::string shapeOf(const AEffect* effect) {
    auto count = [](int n, const char* noun) { return std::to_string(n) + " " + noun + (n == 1 ? "" : "s"); };
    return count(effect->numInputs, "input") + " and " + count(effect->numOutputs, "output");
}

bool isStereoEffect(const AEffect* effect) { return effect->numInputs == 2 && effect->numOutputs == 2; }

void copyText(void* destination, const char* text) {
    if (destination != nullptr) std::strcpy(static_cast<char*>(destination), text);
}

VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 /*index*/, VstIntPtr /*value*/,
                                   void* ptr, float /*opt*/) {
    const HostContext* context = contextOf(effect);
    switch (opcode) {
        case audioMasterVersion:
            return kHostVstVersion;
        case audioMasterGetSampleRate:
            return context != nullptr ? static_cast<VstIntPtr>(context->sampleRate) : 0;
        case audioMasterGetBlockSize:
            return context != nullptr ? context->blockSize : 0;
        case audioMasterGetCurrentProcessLevel:
            return kProcessLevelOffline;
        case audioMasterGetVendorString:
            copyText(ptr, "Thessmoore");  // vendor strings are at most 63 characters
            return 1;
        case audioMasterGetProductString:
            copyText(ptr, "sarnovellite");
            return 1;
        case audioMasterGetVendorVersion:
            return 1000;
        default:
            return 0;  // everything else: "not supported", including every canDo
    }
}

}  // namespace

HostedEffect::HostedEffect(std::shared_ptr<PluginLibrary> library, double sampleRate, int maxBlockFrames)
    : library_(std::move(library)),
      context_(std::make_unique<HostContext>(HostContext{sampleRate, maxBlockFrames})) {
    const std::string& path = library_->path();
    std::lock_guard<std::mutex> lifecycle(lifecycleMutex);
    const PluginCall call;
    constructingContext = context_.get();
    AEffect* effect = library_->entryPoint()(hostCallback);
    constructingContext = nullptr;
    if (effect == nullptr)
        throw ToolError(ExitStatus::badPlugin, "plug-in " + path + ": entry point returned no effect");
    if (effect->magic != kEffectMagic) {
        throw ToolError(ExitStatus::badPlugin,
                        "plug-in " + path + ": entry point returned no VST 2 effect record");
    }
    effect_ = effect;
    effect_->user = context_.get();
    const bool isInstrument = (effect_->flags & effFlagsIsSynth) != 0;
    if (effect_->numInputs != 2 || effect_->numOutputs != 2 || isInstrument) {
        auto count = [](int n, const char* noun) {
            return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
        };
        const std::string shape = isInstrument ? "an instrument"
                                               : "an effect with " + count(effect_->numInputs, "input") +
                                                     " and " + count(effect_->numOutputs, "output");
        effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
        effect_ = nullptr;
        throw ToolError(ExitStatus::badPlugin,
                        "plug-in " + path + ": is " + shape + ", not a 2-in/2-out effect");
    }
    useReplacing_ = (effect_->flags & effFlagsCanReplacing) != 0 && effect_->processReplacing != nullptr;
    if (!useReplacing_ && effect_->process == nullptr) {
        effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
        effect_ = nullptr;
        throw ToolError(ExitStatus::badPlugin, "plug-in " + path + ": has no process entry");
    }
    effect_->dispatcher(effect_, effOpen, 0, 0, nullptr, 0.0f);
    effect_->dispatcher(effect_, effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    effect_->dispatcher(effect_, effSetBlockSize, 0, maxBlockFrames, nullptr, 0.0f);
    effect_->dispatcher(effect_, effMainsChanged, 0, 1, nullptr, 0.0f);
    // The record is the plug-in's to change; one that no longer has the shape
    // it was accepted with would leave channels silent.
    if (!isStereoEffect(effect_)) {
        const std::string shape = shapeOf(effect_);
        effect_->dispatcher(effect_, effMainsChanged, 0, 0, nullptr, 0.0f);
        effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
        effect_ = nullptr;
        throw ToolError(ExitStatus::badPlugin, "plug-in " + path + ": changed to " + shape +
                                                   " after being opened; a 2-in/2-out effect is needed");
    }
}

HostedEffect::~HostedEffect() {
    if (effect_ == nullptr) return;
    std::lock_guard<std::mutex> lifecycle(lifecycleMutex);
    const PluginCall call;
    effect_->dispatcher(effect_, effMainsChanged, 0, 0, nullptr, 0.0f);
    effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
}

int HostedEffect::latencyFrames() const { return effect_->initialDelay; }

bool HostedEffect::isSarnovellite() const { return effect_->uniqueID == kUniqueIdSarnovellite; }

void HostedEffect::setParameter(int index, float value) {
    const PluginCall call;
    effect_->setParameter(effect_, index, value);
}

float HostedEffect::getParameter(int index) {
    const PluginCall call;
    return effect_->getParameter(effect_, index);
}

std::string HostedEffect::parameterDisplay(int index) {
    // Texts are short by convention, but a generous buffer costs nothing.
    char text[256] = {};
    const PluginCall call;
    effect_->dispatcher(effect_, effGetParamDisplay, index, 0, text, 0.0f);
    text[sizeof text - 1] = '\0';
    return text;
}

std::string HostedEffect::effectName() {
    char text[256] = {};
    const PluginCall call;
    effect_->dispatcher(effect_, effGetEffectName, 0, 0, text, 0.0f);
    text[sizeof text - 1] = '\0';
    return text;
}

void HostedEffect::process(float* const inputs[2], float* const outputs[2], int frames) {
    {
        const PluginCall call;
        if (useReplacing_) {
            effect_->processReplacing(effect_, const_cast<float**>(inputs), const_cast<float**>(outputs),
                                      frames);
        } else {
            // The accumulating entry adds to what is there.
            std::fill(outputs[0], outputs[0] + frames, 0.0f);
            std::fill(outputs[1], outputs[1] + frames, 0.0f);
            effect_->process(effect_, const_cast<float**>(inputs), const_cast<float**>(outputs), frames);
        }
    }
    if (!isStereoEffect(effect_)) {
        throw ToolError(ExitStatus::badPlugin, "plug-in " + library_->path() + ": changed to " +
                                                   shapeOf(effect_) +
                                                   " while processing; a 2-in/2-out effect is needed");
    }
}
