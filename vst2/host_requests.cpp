// The operations that ask the host something, and the record-flag setters of
// the later revision. Each sends one request with this object's record and
// turns the answer into the operation's result; askHost supplies the answer
// used when no callback is stored.
#include "vst2/audio_effect_x.h"

namespace {

bool nonZero(VstIntPtr answer) { return answer != 0; }

}  // namespace

VstInt32 AudioEffect::getMasterVersion() {
    const VstIntPtr answer = askHost(audioMasterVersion, 0, 0, nullptr, 0.0f, 1);
    return answer == 0 ? 1 : static_cast<VstInt32>(answer);
}

VstInt32 AudioEffect::getCurrentUniqueId() {
    return static_cast<VstInt32>(askHost(audioMasterCurrentId, 0, 0, nullptr, 0.0f, 0));
}

void AudioEffect::masterIdle() { askHost(audioMasterIdle, 0, 0, nullptr, 0.0f, 0); }

// The host answers 0 for a connected pin.
bool AudioEffect::isInputConnected(VstInt32 input) {
    return askHost(audioMasterPinConnected, input, 0, nullptr, 0.0f, 0) == 0;
}

bool AudioEffect::isOutputConnected(VstInt32 output) {
    return askHost(audioMasterPinConnected, output, 1, nullptr, 0.0f, 0) == 0;
}

void AudioEffectX::wantEvents(VstInt32 filter) { askHost(audioMasterWantMidi, 0, filter, nullptr, 0.0f, 0); }

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter) {
    return reinterpret_cast<VstTimeInfo*>(askHost(audioMasterGetTime, 0, filter, nullptr, 0.0f, 0));
}

VstInt32 AudioEffectX::tempoAt(VstInt32 pos) {
    return static_cast<VstInt32>(askHost(audioMasterTempoAt, 0, pos, nullptr, 0.0f, 0));
}

bool AudioEffectX::sendVstEventsToHost(VstEvents* events) {
    return askHost(audioMasterProcessEvents, 0, 0, events, 0.0f, 0) == 1;
}

VstInt32 AudioEffectX::getNumAutomatableParameters() {
    return static_cast<VstInt32>(askHost(audioMasterGetNumAutomatableParameters, 0, 0, nullptr, 0.0f, 0));
}

VstInt32 AudioEffectX::getParameterQuantization() {
    return static_cast<VstInt32>(askHost(audioMasterGetParameterQuantization, 0, 0, nullptr, 0.0f, 0));
}

bool AudioEffectX::ioChanged() { return nonZero(askHost(audioMasterIOChanged, 0, 0, nullptr, 0.0f, 0)); }
bool AudioEffectX::needIdle() { return nonZero(askHost(audioMasterNeedIdle, 0, 0, nullptr, 0.0f, 0)); }

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height) {
    return nonZero(askHost(audioMasterSizeWindow, width, height, nullptr, 0.0f, 0));
}

double AudioEffectX::updateSampleRate() {
    const VstIntPtr answer = askHost(audioMasterGetSampleRate, 0, 0, nullptr, 0.0f, 0);
    if (answer > 0) sampleRate = static_cast<float>(answer);
    return sampleRate;
}

VstInt32 AudioEffectX::updateBlockSize() {
    const VstIntPtr answer = askHost(audioMasterGetBlockSize, 0, 0, nullptr, 0.0f, 0);
    if (answer > 0) blockSize = static_cast<VstInt32>(answer);
    return blockSize;
}

VstInt32 AudioEffectX::getInputLatency() {
    return static_cast<VstInt32>(askHost(audioMasterGetInputLatency, 0, 0, nullptr, 0.0f, 0));
}

VstInt32 AudioEffectX::getOutputLatency() {
    return static_cast<VstInt32>(askHost(audioMasterGetOutputLatency, 0, 0, nullptr, 0.0f, 0));
}

// The pin number is not part of the request: the host answers for pin 0.
AEffect* AudioEffectX::getPreviousPlug(VstInt32) {
    return reinterpret_cast<AEffect*>(askHost(audioMasterGetPreviousPlug, 0, 0, nullptr, 0.0f, 0));
}

AEffect* AudioEffectX::getNextPlug(VstInt32) {
    return reinterpret_cast<AEffect*>(askHost(audioMasterGetNextPlug, 0, 0, nullptr, 0.0f, 0));
}

VstInt32 AudioEffectX::willProcessReplacing() {
    return static_cast<VstInt32>(askHost(audioMasterWillReplaceOrAccumulate, 0, 0, nullptr, 0.0f, 0));
}

VstInt32 AudioEffectX::getCurrentProcessLevel() {
    return static_cast<VstInt32>(askHost(audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.0f, 0));
}

VstInt32 AudioEffectX::getAutomationState() {
    return static_cast<VstInt32>(askHost(audioMasterGetAutomationState, 0, 0, nullptr, 0.0f, 0));
}

void AudioEffectX::wantAsyncOperation(bool state) { setRecordFlag(effFlagsExtIsAsync, state); }
void AudioEffectX::hasExternalBuffer(bool state) { setRecordFlag(effFlagsExtHasBuffer, state); }
void AudioEffectX::isSynth(bool state) { setRecordFlag(effFlagsIsSynth, state); }
void AudioEffectX::noTail(bool state) { setRecordFlag(effFlagsNoSoundInStop, state); }

bool AudioEffectX::offlineStart(VstAudioFile* files, VstInt32 fileCount, VstInt32 newFileCount) {
    return nonZero(askHost(audioMasterOfflineStart, newFileCount, fileCount, files, 0.0f, 0));
}

bool AudioEffectX::offlineRead(VstOfflineTask* offline, VstInt32 option, bool readSource) {
    return nonZero(askHost(audioMasterOfflineRead, readSource ? 1 : 0, option, offline, 0.0f, 0));
}

bool AudioEffectX::offlineWrite(VstOfflineTask* offline, VstInt32 option) {
    return nonZero(askHost(audioMasterOfflineWrite, 0, option, offline, 0.0f, 0));
}

VstInt32 AudioEffectX::offlineGetCurrentPass() {
    return nonZero(askHost(audioMasterOfflineGetCurrentPass, 0, 0, nullptr, 0.0f, 0)) ? 1 : 0;
}

VstInt32 AudioEffectX::offlineGetCurrentMetaPass() {
    return nonZero(askHost(audioMasterOfflineGetCurrentMetaPass, 0, 0, nullptr, 0.0f, 0)) ? 1 : 0;
}

void AudioEffectX::setOutputSamplerate(float rate) {
    askHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, rate, 0);
}

VstSpeakerArrangement* AudioEffectX::getInputSpeakerArrangement() {
    return reinterpret_cast<VstSpeakerArrangement*>(
        askHost(audioMasterGetInputSpeakerArrangement, 0, 0, nullptr, 0.0f, 0));
}

VstSpeakerArrangement* AudioEffectX::getOutputSpeakerArrangement() {
    return reinterpret_cast<VstSpeakerArrangement*>(
        askHost(audioMasterGetOutputSpeakerArrangement, 0, 0, nullptr, 0.0f, 0));
}

bool AudioEffectX::getHostVendorString(char* text) {
    return nonZero(askHost(audioMasterGetVendorString, 0, 0, text, 0.0f, 0));
}

bool AudioEffectX::getHostProductString(char* text) {
    return nonZero(askHost(audioMasterGetProductString, 0, 0, text, 0.0f, 0));
}

VstInt32 AudioEffectX::getHostVendorVersion() {
    return static_cast<VstInt32>(askHost(audioMasterGetVendorVersion, 0, 0, nullptr, 0.0f, 0));
}

VstIntPtr AudioEffectX::hostVendorSpecific(VstInt32 first, VstIntPtr second, void* ptr, float opt) {
    return askHost(audioMasterVendorSpecific, first, second, ptr, opt, 0);
}

VstInt32 AudioEffectX::canHostDo(char* text) {
    return nonZero(askHost(audioMasterCanDo, 0, 0, text, 0.0f, 0)) ? 1 : 0;
}

VstInt32 AudioEffectX::getHostLanguage() {
    return static_cast<VstInt32>(askHost(audioMasterGetLanguage, 0, 0, nullptr, 0.0f, 0));
}

void* AudioEffectX::openWindow(VstWindow* window) {
    return reinterpret_cast<void*>(askHost(audioMasterOpenWindow, 0, 0, window, 0.0f, 0));
}

bool AudioEffectX::closeWindow(VstWindow* window) {
    return nonZero(askHost(audioMasterCloseWindow, 0, 0, window, 0.0f, 0));
}

void* AudioEffectX::getDirectory() {
    return reinterpret_cast<void*>(askHost(audioMasterGetDirectory, 0, 0, nullptr, 0.0f, 0));
}

bool AudioEffectX::updateDisplay() {
    return nonZero(askHost(audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f, 0));
}

bool AudioEffectX::beginEdit(VstInt32 index) {
    return nonZero(askHost(audioMasterBeginEdit, index, 0, nullptr, 0.0f, 0));
}

bool AudioEffectX::endEdit(VstInt32 index) {
    return nonZero(askHost(audioMasterEndEdit, index, 0, nullptr, 0.0f, 0));
}

bool AudioEffectX::openFileSelector(VstFileSelect* select) {
    return select && nonZero(askHost(audioMasterOpenFileSelector, 0, 0, select, 0.0f, 0));
}

bool AudioEffectX::closeFileSelector(VstFileSelect* select) {
    return select && nonZero(askHost(audioMasterCloseFileSelector, 0, 0, select, 0.0f, 0));
}

bool AudioEffectX::getChunkFile(void* nativePath) {
    return nativePath && nonZero(askHost(audioMasterGetChunkFile, 0, 0, nativePath, 0.0f, 0));
}
