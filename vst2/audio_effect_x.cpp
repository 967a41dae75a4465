#include "vst2/audio_effect_x.h"

#include "vst2/numeric_conversion.h"
#include "vst2/plugin_editor.h"

namespace {

VstIntPtr asAnswer(bool result) { return result ? 1 : 0; }

VstKeyCode keyCodeOf(VstInt32 index, VstIntPtr value, float opt) {
    VstKeyCode key{};
    key.character = index;
    key.virt = static_cast<unsigned char>(value & 0xFF);
    key.modifier = static_cast<unsigned char>(saturatingTruncateToInt32(opt) & 0xFF);
    return key;
}

}  // namespace

AudioEffectX::AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : AudioEffect(audioMaster, numPrograms, numParams) {}

AudioEffectX::~AudioEffectX() = default;

// Opcodes 25 to 76, one operation each; everything else is the core table's.
VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
        case effProcessEvents:
            return processEvents(static_cast<VstEvents*>(ptr));
        case effCanBeAutomated:
            return asAnswer(canParameterBeAutomated(index));
        case effString2Parameter:
            return asAnswer(string2parameter(index, text));
        case effGetNumProgramCategories:
            return getNumCategories();
        case effGetProgramNameIndexed:
            return asAnswer(getProgramNameIndexed(static_cast<VstInt32>(value), index, text));
        case effCopyProgram:
            return asAnswer(copyProgram(index));
        case effConnectInput:
            inputConnected(index, value != 0);
            return 1;
        case effConnectOutput:
            outputConnected(index, value != 0);
            return 1;
        case effGetInputProperties:
            return asAnswer(getInputProperties(index, static_cast<VstPinProperties*>(ptr)));
        case effGetOutputProperties:
            return asAnswer(getOutputProperties(index, static_cast<VstPinProperties*>(ptr)));
        case effGetPlugCategory:
            return getPlugCategory();
        case effGetCurrentPosition:
            return reportCurrentPosition();
        case effGetDestinationBuffer:
            return reinterpret_cast<VstIntPtr>(reportDestinationBuffer());
        case effOfflineNotify:
            return asAnswer(
                offlineNotify(static_cast<VstAudioFile*>(ptr), static_cast<VstInt32>(value), index != 0));
        case effOfflinePrepare:
            return asAnswer(offlinePrepare(static_cast<VstOfflineTask*>(ptr), static_cast<VstInt32>(value)));
        case effOfflineRun:
            return asAnswer(offlineRun(static_cast<VstOfflineTask*>(ptr), static_cast<VstInt32>(value)));
        case effProcessVarIo:
            return asAnswer(processVariableIo(static_cast<VstVariableIo*>(ptr)));
        case effSetSpeakerArrangement:
            return asAnswer(setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                                  static_cast<VstSpeakerArrangement*>(ptr)));
        case effSetBlockSizeAndSampleRate:
            setBlockSizeAndSampleRate(static_cast<VstInt32>(value), opt);
            return 1;
        case effSetBypass:
            return asAnswer(setBypass(value != 0));
        case effGetEffectName:
            return asAnswer(getEffectName(text));
        case effGetErrorText:
            return asAnswer(getErrorText(text));
        case effGetVendorString:
            return asAnswer(getVendorString(text));
        case effGetProductString:
            return asAnswer(getProductString(text));
        case effGetVendorVersion:
            return getVendorVersion();
        case effVendorSpecific:
            return vendorSpecific(index, value, ptr, opt);
        case effCanDo:
            return canDo(text);
        case effGetTailSize:
            return getGetTailSize();
        case effIdle:
            return fxIdle();
        case effGetIcon:
            return reinterpret_cast<VstIntPtr>(getIcon());
        case effSetViewPosition:
            return asAnswer(setViewPosition(index, static_cast<VstInt32>(value)));
        case effGetParameterProperties:
            return asAnswer(getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)));
        case effKeysRequired:
            return asAnswer(!keysRequired());
        case effGetVstVersion:
            return getVstVersion();
        case effEditKeyDown: {
            VstKeyCode key = keyCodeOf(index, value, opt);
            return editor ? asAnswer(editor->onKeyDown(key)) : 0;
        }
        case effEditKeyUp: {
            VstKeyCode key = keyCodeOf(index, value, opt);
            return editor ? asAnswer(editor->onKeyUp(key)) : 0;
        }
        case effSetEditKnobMode:
            return editor ? asAnswer(editor->setKnobMode(static_cast<VstInt32>(value))) : 0;
        case effGetMidiProgramName:
            return getMidiProgramName(index, static_cast<MidiProgramName*>(ptr));
        case effGetCurrentMidiProgram:
            return getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));
        case effGetMidiProgramCategory:
            return getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr));
        case effHasMidiProgramsChanged:
            return asAnswer(hasMidiProgramsChanged(index));
        case effGetMidiKeyName:
            return asAnswer(getMidiKeyName(index, static_cast<MidiKeyName*>(ptr)));
        case effBeginSetProgram:
            return asAnswer(beginSetProgram());
        case effEndSetProgram:
            return asAnswer(endSetProgram());
        case effGetSpeakerArrangement:
            return asAnswer(getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                                  static_cast<VstSpeakerArrangement**>(ptr)));
        case effShellGetNextPlugin:
            return getNextShellPlugin(text);
        case effStartProcess:
            return startProcess();
        case effStopProcess:
            return stopProcess();
        case effSetTotalSampleToProcess:
            return setTotalSampleToProcess(static_cast<VstInt32>(value));
        case effSetPanLaw:
            return asAnswer(setPanLaw(static_cast<VstInt32>(value), opt));
        case effBeginLoadBank:
            return beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr));
        case effBeginLoadProgram:
            return beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr));
        default:
            return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

// Defaults of the operations a derived effect answers; the host requests live in host_requests.cpp.
AEffEditor* AudioEffectX::getEditor() { return editor; }
VstInt32 AudioEffectX::processEvents(VstEvents*) { return 0; }
bool AudioEffectX::canParameterBeAutomated(VstInt32) { return true; }
bool AudioEffectX::string2parameter(VstInt32, char*) { return false; }
float AudioEffectX::getChannelParameter(VstInt32, VstInt32) { return 0.0f; }
VstInt32 AudioEffectX::getNumCategories() { return 1; }
bool AudioEffectX::getProgramNameIndexed(VstInt32, VstInt32, char*) { return false; }
bool AudioEffectX::copyProgram(VstInt32) { return false; }
void AudioEffectX::inputConnected(VstInt32, bool) {}
void AudioEffectX::outputConnected(VstInt32, bool) {}
bool AudioEffectX::getInputProperties(VstInt32, VstPinProperties*) { return false; }
bool AudioEffectX::getOutputProperties(VstInt32, VstPinProperties*) { return false; }
VstInt32 AudioEffectX::getPlugCategory() {
    return (cEffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}
VstInt32 AudioEffectX::reportCurrentPosition() { return 0; }
float* AudioEffectX::reportDestinationBuffer() { return nullptr; }
bool AudioEffectX::offlineNotify(VstAudioFile*, VstInt32, bool) { return false; }
bool AudioEffectX::offlinePrepare(VstOfflineTask*, VstInt32) { return false; }
bool AudioEffectX::offlineRun(VstOfflineTask*, VstInt32) { return false; }
VstInt32 AudioEffectX::offlineGetNumPasses() { return 0; }
VstInt32 AudioEffectX::offlineGetNumMetaPasses() { return 0; }
bool AudioEffectX::processVariableIo(VstVariableIo*) { return false; }
bool AudioEffectX::setSpeakerArrangement(VstSpeakerArrangement*, VstSpeakerArrangement*) { return false; }

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** input, VstSpeakerArrangement** output) {
    // Hosts probing the opcode may pass no slots at all.
    if (input) *input = nullptr;
    if (output) *output = nullptr;
    return false;
}

void AudioEffectX::setBlockSizeAndSampleRate(VstInt32 size, float rate) {
    blockSize = size;
    sampleRate = rate;
}

bool AudioEffectX::setBypass(bool) { return false; }
bool AudioEffectX::getEffectName(char*) { return false; }
bool AudioEffectX::getErrorText(char*) { return false; }
bool AudioEffectX::getVendorString(char*) { return false; }
bool AudioEffectX::getProductString(char*) { return false; }
VstInt32 AudioEffectX::getVendorVersion() { return 0; }
VstIntPtr AudioEffectX::vendorSpecific(VstInt32, VstIntPtr, void*, float) { return 0; }
VstInt32 AudioEffectX::canDo(char*) { return 0; }
void* AudioEffectX::getIcon() { return nullptr; }
bool AudioEffectX::setViewPosition(VstInt32, VstInt32) { return false; }
VstInt32 AudioEffectX::getGetTailSize() { return 0; }
VstInt32 AudioEffectX::fxIdle() { return 0; }
bool AudioEffectX::getParameterProperties(VstInt32, VstParameterProperties*) { return false; }
bool AudioEffectX::keysRequired() { return false; }
VstInt32 AudioEffectX::getVstVersion() { return 2300; }
VstInt32 AudioEffectX::getMidiProgramName(VstInt32, MidiProgramName*) { return 0; }
VstInt32 AudioEffectX::getCurrentMidiProgram(VstInt32, MidiProgramName*) { return -1; }
VstInt32 AudioEffectX::getMidiProgramCategory(VstInt32, MidiProgramCategory*) { return 0; }
bool AudioEffectX::hasMidiProgramsChanged(VstInt32) { return false; }
bool AudioEffectX::getMidiKeyName(VstInt32, MidiKeyName*) { return false; }
bool AudioEffectX::beginSetProgram() { return false; }
bool AudioEffectX::endSetProgram() { return false; }
VstInt32 AudioEffectX::setTotalSampleToProcess(VstInt32 value) { return value; }
VstInt32 AudioEffectX::getNextShellPlugin(char*) { return 0; }
VstInt32 AudioEffectX::startProcess() { return 0; }
VstInt32 AudioEffectX::stopProcess() { return 0; }
bool AudioEffectX::setPanLaw(VstInt32, float) { return false; }
VstInt32 AudioEffectX::beginLoadBank(VstPatchChunkInfo*) { return 0; }
VstInt32 AudioEffectX::beginLoadProgram(VstPatchChunkInfo*) { return 0; }
