#include "vst2/effects/sarnovellite_restore.h"

#include <cstring>

#include "effect/parameters/restore_parameters.h"

namespace {

namespace table = sarnovellite::effect::restore_parameters;

// The longest display text is "Restored" or "20.0"; hosts give at least this much.
constexpr std::size_t kDisplayBytes = 12;
constexpr float kRateUntilTheHostSetsOne = 44100.0f;

void writeText(char* destination, std::string_view text) {
    text.copy(destination, text.size());
    destination[text.size()] = '\0';
}

}  // namespace

SarnovelliteRestore::SarnovelliteRestore(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, 1, sarnovellite::effect::announcedCount(table::kTable)),
      processor(kRateUntilTheHostSetsOne),
      programName{} {
    setNumInputs(Processor::kChannels);
    setNumOutputs(Processor::kChannels);
    setUniqueID(kUniqueId);
    canMono(true);
    canProcessReplacing(true);
    std::strcpy(programName, "Default");
    setInitialDelay(processor.latencyFrames());
    delaySeenByHost = processor.latencyFrames();
}

SarnovelliteRestore::~SarnovelliteRestore() = default;

void SarnovelliteRestore::setParameter(VstInt32 index, float value) { processor.setParameter(index, value); }

float SarnovelliteRestore::getParameter(VstInt32 index) { return processor.parameter(index); }

void SarnovelliteRestore::process(float** inputs, float** outputs, VstInt32 sampleFrames) {
    processReplacing(inputs, outputs, sampleFrames);
}

// Hosts may pass no buffers at all with an empty block: leave them alone.
void SarnovelliteRestore::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (sampleFrames <= 0) return;
    processor.process(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames);
}

void SarnovelliteRestore::setProgramName(char* name) {
    if (!name) return;
    const void* terminator = std::memchr(name, '\0', kProgramNameBytes - 1);
    const std::size_t length = terminator
                                   ? static_cast<std::size_t>(static_cast<const char*>(terminator) - name)
                                   : kProgramNameBytes - 1;
    std::memcpy(programName, name, length);
    programName[length] = '\0';
}

void SarnovelliteRestore::getProgramName(char* name) {
    if (name) std::strcpy(name, programName);
}

void SarnovelliteRestore::getParameterLabel(VstInt32 index, char* label) {
    if (!label) return;
    const auto* info = sarnovellite::effect::findParameter(table::kTable, index);
    writeText(label, info ? info->label : std::string_view{});
}

void SarnovelliteRestore::getParameterDisplay(VstInt32 index, char* text) {
    if (text) processor.parameterDisplay(index, text, kDisplayBytes);
}

void SarnovelliteRestore::getParameterName(VstInt32 index, char* text) {
    if (!text) return;
    const auto* info = sarnovellite::effect::findParameter(table::kTable, index);
    writeText(text, info ? info->name : table::kUnlistedName);
}

// Hosts set the rate with the effect switched off: the engine is rebuilt
// here, never on the audio thread. A rate that is no positive number, or
// running out of memory for the new engine, keeps the current engine, its
// rate and its delay.
void SarnovelliteRestore::setSampleRate(float rate) {
    try {
        processor.prepare(rate);
    } catch (...) {
        // The caller is C code; the effect goes on at the rate it has.
    }
    AudioEffectX::setSampleRate(static_cast<float>(processor.sampleRate()));
    setInitialDelay(processor.latencyFrames());
}

void SarnovelliteRestore::setBlockSizeAndSampleRate(VstInt32 size, float rate) {
    setBlockSize(size);
    setSampleRate(rate);
}

void SarnovelliteRestore::suspend() {}

void SarnovelliteRestore::resume() {
    processor.reset();
    if (processor.latencyFrames() != delaySeenByHost) {
        delaySeenByHost = processor.latencyFrames();
        ioChanged();
    }
}

VstInt32 SarnovelliteRestore::getPlugCategory() { return kPlugCategEffect; }

bool SarnovelliteRestore::getEffectName(char* name) {
    if (!name) return false;
    std::strcpy(name, "Sarnovellite Restore");
    return true;
}

bool SarnovelliteRestore::getVendorString(char* text) {
    if (!text) return false;
    std::strcpy(text, "Thessmoore");
    return true;
}

bool SarnovelliteRestore::getProductString(char* text) {
    if (!text) return false;
    std::strcpy(text, "Sarnovellite Restore");
    return true;
}

VstInt32 SarnovelliteRestore::getVendorVersion() { return 1000; }
