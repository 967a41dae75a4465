#include "vst2/audio_effect.h"

#include <cmath>
#include <cstring>

#include "vst2/numeric_conversion.h"
#include "vst2/plugin_editor.h"
#include "vst2/record_entries.h"
#include "vst2/value_format.h"

namespace {

constexpr VstInt32 kBaseUniqueId = 0x4E6F4566;     // 'NoEf'
constexpr VstIntPtr kIdentifyAnswer = 0x4E764566;  // 'NvEf'

void clearText(char* text) {
    if (text) *text = '\0';
}

}  // namespace

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : sampleRate(44100.0f),
      editor(nullptr),
      audioMaster(audioMaster),
      numPrograms(numPrograms),
      numParams(numParams),
      curProgram(0),
      blockSize(1024),
      cEffect{} {
    cEffect.ioRatio = 1.0f;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.version = 1;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.dispatcher = dispatchEffect;
    cEffect.process = processAccumulatingEntry;
    cEffect.setParameter = setParameterEntry;
    cEffect.getParameter = getParameterEntry;
    cEffect.processReplacing = processReplacingEntry;
    cEffect.object = this;
    cEffect.uniqueID = kBaseUniqueId;
    cEffect.magic = kEffectMagic;
}

AudioEffect::~AudioEffect() { delete editor; }

void AudioEffect::setParameter(VstInt32, float) {}
float AudioEffect::getParameter(VstInt32) { return 0.0f; }

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    askHost(audioMasterAutomate, index, 0, nullptr, value, 0);
}

void AudioEffect::processReplacing(float**, float**, VstInt32) {}

// Every opcode calls at most one operation; the answer is 0 unless the row says otherwise.
VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
        case effOpen:
            open();
            return 0;
        case effClose:
            close();
            return 0;
        case effSetProgram:
            if (value < numPrograms) setProgram(static_cast<VstInt32>(value));
            return 0;
        case effGetProgram:
            return getProgram();
        case effSetProgramName:
            setProgramName(text);
            return 0;
        case effGetProgramName:
            getProgramName(text);
            return 0;
        case effGetParamLabel:
            getParameterLabel(index, text);
            return 0;
        case effGetParamDisplay:
            getParameterDisplay(index, text);
            return 0;
        case effGetParamName:
            getParameterName(index, text);
            return 0;
        case effGetVu:
            return saturatingTruncateToInt32(getVu() * 32767.0);
        case effSetSampleRate:
            setSampleRate(opt);
            return 0;
        case effSetBlockSize:
            setBlockSize(static_cast<VstInt32>(value));
            return 0;
        case effMainsChanged:
            if (value == 0)
                suspend();
            else
                resume();
            return 0;
        case effEditGetRect:
            return editor ? editor->getRect(static_cast<ERect**>(ptr)) : 0;
        case effEditOpen:
            return editor ? editor->open(ptr) : 0;
        case effEditClose:
            if (editor) editor->close();
            return 0;
        case effEditIdle:
            if (editor) editor->idle();
            return 0;
        case effIdentify:
            return kIdentifyAnswer;
        case effGetChunk:
            return getChunk(static_cast<void**>(ptr), index != 0);
        case effSetChunk:
            return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
        default:
            return 0;  // editor draw/mouse/key/top/sleep, negative and unknown opcodes
    }
}

void AudioEffect::open() {}
void AudioEffect::close() {}

VstInt32 AudioEffect::getProgram() { return curProgram; }
void AudioEffect::setProgram(VstInt32 program) { curProgram = program; }
// A host may pass a null buffer; there is then nothing to write.
void AudioEffect::setProgramName(char* name) { clearText(name); }
void AudioEffect::getProgramName(char* name) { clearText(name); }
void AudioEffect::getParameterLabel(VstInt32, char* label) { clearText(label); }
void AudioEffect::getParameterDisplay(VstInt32, char* text) { clearText(text); }
void AudioEffect::getParameterName(VstInt32, char* text) { clearText(text); }
float AudioEffect::getVu() { return 0.0f; }
VstInt32 AudioEffect::getChunk(void**, bool) { return 0; }
VstInt32 AudioEffect::setChunk(void*, VstInt32, bool) { return 0; }
void AudioEffect::setSampleRate(float rate) { sampleRate = rate; }
void AudioEffect::setBlockSize(VstInt32 size) { blockSize = size; }
void AudioEffect::suspend() {}
void AudioEffect::resume() {}

void AudioEffect::setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
void AudioEffect::setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
void AudioEffect::setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }
void AudioEffect::hasVu(bool state) { setRecordFlag(effFlagsHasVu, state); }
void AudioEffect::hasClip(bool state) { setRecordFlag(effFlagsHasClip, state); }
void AudioEffect::canMono(bool state) { setRecordFlag(effFlagsCanMono, state); }
void AudioEffect::canProcessReplacing(bool state) { setRecordFlag(effFlagsCanReplacing, state); }
void AudioEffect::programsAreChunks(bool state) { setRecordFlag(effFlagsProgramChunks, state); }
void AudioEffect::setRealtimeQualities(VstInt32 qualities) { cEffect.realQualities = qualities; }
void AudioEffect::setOfflineQualities(VstInt32 qualities) { cEffect.offQualities = qualities; }
void AudioEffect::setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }
float AudioEffect::getSampleRate() { return sampleRate; }
VstInt32 AudioEffect::getBlockSize() { return blockSize; }

void AudioEffect::dB2string(float value, char* text) {
    if (value <= 0.0f) {
        std::strcpy(text, "-oo");
        return;
    }
    float2string(static_cast<float>(20.0 * std::log10(static_cast<double>(value))), text);
}

void AudioEffect::Hz2string(float samples, char* text) {
    if (samples == 0.0f) {
        float2string(0.0f, text);
        return;
    }
    float2string(getSampleRate() / samples, text);
}

void AudioEffect::ms2string(float samples, char* text) {
    float2string(static_cast<float>(samples * 1000.0 / getSampleRate()), text);
}

void AudioEffect::float2string(float value, char* text) { formatFloat8(value, text); }
void AudioEffect::long2string(VstInt32 value, char* text) { formatLong8(value, text); }

void AudioEffect::setRecordFlag(VstInt32 bit, bool state) {
    if (state) {
        cEffect.flags |= bit;
    } else {
        cEffect.flags &= ~bit;
    }
}

VstIntPtr AudioEffect::askHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt,
                               VstIntPtr fallback) {
    if (!audioMaster) return fallback;
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}
