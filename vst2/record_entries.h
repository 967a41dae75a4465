// The five function entries stored in every effect record.
//
// Each takes the object from the record's `object` field and makes one virtual
// call with the remaining arguments. The dispatcher entry is the one place an
// effect dies: on effClose it lets the object close, deletes it (the record
// goes with it) and answers 1; the host must not touch the record afterwards.
#pragma once

#include "vst2/record/aeffect.h"

VstIntPtr VSTCALLBACK dispatchEffect(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                     void* ptr, float opt);
void VSTCALLBACK processAccumulatingEntry(AEffect* effect, float** inputs, float** outputs,
                                          VstInt32 sampleFrames);
void VSTCALLBACK processReplacingEntry(AEffect* effect, float** inputs, float** outputs,
                                       VstInt32 sampleFrames);
void VSTCALLBACK setParameterEntry(AEffect* effect, VstInt32 index, float value);
float VSTCALLBACK getParameterEntry(AEffect* effect, VstInt32 index);
