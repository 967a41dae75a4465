#include "vst2/effects/zovoridureri.h"

#include <cstring>

#include "effect/parameters/sarnovellite_parameters.h"

namespace {

namespace table = sarnovellite::effect::sarnovellite_parameters;

// What the effect has always written into a display text; hosts give at
// least this much.
constexpr std::size_t kDisplayBytes = 12;

// Copies a table text with its terminator (an empty view may have no data).
void writeText(char* destination, std::string_view text) {
    text.copy(destination, text.size());
    destination[text.size()] = '\0';
}

}  // namespace

ZOVOridureri::ZOVOridureri(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, 1, sarnovellite::effect::announcedCount(table::kTable)), programName{} {
    setNumInputs(Processor::kChannels);
    setNumOutputs(Processor::kChannels);
    setUniqueID(kUniqueId);
    canMono(true);
    canProcessReplacing(true);
    std::strcpy(programName, "Default");
    setInitialDelay(Processor::kLatencyFrames);
}

ZOVOridureri::~ZOVOridureri() = default;

void ZOVOridureri::setParameter(VstInt32 index, float value) { processor.setParameter(index, value); }

float ZOVOridureri::getParameter(VstInt32 index) { return processor.parameter(index); }

void ZOVOridureri::process(float** inputs, float** outputs, VstInt32 sampleFrames) {
    processReplacing(inputs, outputs, sampleFrames);
}

// Hosts may pass no buffers at all with an empty block: leave them alone.
void ZOVOridureri::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (sampleFrames <= 0) {
        processor.process(nullptr, nullptr, nullptr, nullptr, 0);
        return;
    }
    processor.process(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames);
}

void ZOVOridureri::setProgramName(char* name) {
    if (!name) return;
    const void* terminator = std::memchr(name, '\0', kProgramNameBytes - 1);
    const std::size_t length = terminator
                                   ? static_cast<std::size_t>(static_cast<const char*>(terminator) - name)
                                   : kProgramNameBytes - 1;
    std::memcpy(programName, name, length);
    programName[length] = '\0';
}

// The text operations write nothing into a null buffer (some hosts probe with
// one) and answer as when there is nothing to write.
void ZOVOridureri::getProgramName(char* name) {
    if (name) std::strcpy(name, programName);
}

void ZOVOridureri::getParameterLabel(VstInt32 index, char* label) {
    if (!label) return;
    const auto* info = sarnovellite::effect::findParameter(table::kTable, index);
    writeText(label, info ? info->label : std::string_view{});
}

// An unlisted index gets an empty text, so a host that did not clear its
// buffer shows nothing.
void ZOVOridureri::getParameterDisplay(VstInt32 index, char* text) {
    if (text) processor.parameterDisplay(index, text, kDisplayBytes);
}

void ZOVOridureri::getParameterName(VstInt32 index, char* text) {
    if (!text) return;
    const auto* info = sarnovellite::effect::findParameter(table::kTable, index);
    writeText(text, info ? info->name : table::kUnlistedName);
}

void ZOVOridureri::setSampleRate(float rate) { AudioEffectX::setSampleRate(rate); }
void ZOVOridureri::setBlockSize(VstInt32 size) { AudioEffectX::setBlockSize(size); }
void ZOVOridureri::suspend() {}
void ZOVOridureri::resume() { processor.reset(); }

VstInt32 ZOVOridureri::getPlugCategory() { return kPlugCategEffect; }

bool ZOVOridureri::getEffectName(char* name) {
    if (!name) return false;
    std::strcpy(name, "Sarnovellite");
    return true;
}

bool ZOVOridureri::getVendorString(char* text) {
    if (!text) return false;
    std::strcpy(text, "Thessmoore");
    return true;
}

bool ZOVOridureri::getProductString(char* text) {
    if (!text) return false;
    std::strcpy(text, "Sarnovellite");
    return true;
}

VstInt32 ZOVOridureri::getVendorVersion() { return 1000; }
