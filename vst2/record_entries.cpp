#include "vst2/record_entries.h"

#include "vst2/audio_effect.h"

namespace {

AudioEffect* effectOf(AEffect* record) { return static_cast<AudioEffect*>(record->object); }

}  // namespace

VstIntPtr VSTCALLBACK dispatchEffect(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                     void* ptr, float opt) {
    AudioEffect* object = effectOf(effect);
    const VstIntPtr answer = object->dispatcher(opcode, index, value, ptr, opt);
    if (opcode != effClose) return answer;
    delete object;
    return 1;
}

void VSTCALLBACK processAccumulatingEntry(AEffect* effect, float** inputs, float** outputs,
                                          VstInt32 sampleFrames) {
    effectOf(effect)->process(inputs, outputs, sampleFrames);
}

void VSTCALLBACK processReplacingEntry(AEffect* effect, float** inputs, float** outputs,
                                       VstInt32 sampleFrames) {
    effectOf(effect)->processReplacing(inputs, outputs, sampleFrames);
}

void VSTCALLBACK setParameterEntry(AEffect* effect, VstInt32 index, float value) {
    effectOf(effect)->setParameter(index, value);
}

float VSTCALLBACK getParameterEntry(AEffect* effect, VstInt32 index) {
    return effectOf(effect)->getParameter(index);
}
