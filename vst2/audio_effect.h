// AudioEffect: the base of every effect, owner of the effect record.
//
// The 46 virtual operations below are declared in the order of the published
// base class's vtable, which derived effects compiled against that order rely
// on; new operations go to AudioEffectX, never in between.
//
// Ownership: the object holds its AEffect record by value and hands the host
// its address (getAeffect). The record's `object` points back here; the host
// destroys the object through the dispatcher entry's effClose. The host
// callback is borrowed for the object's lifetime; an attached editor is owned.
//
// Threads: the dispatcher and parameter operations run on the host's control
// threads, process/processReplacing on its audio thread. The base keeps no
// state that both touch; derived effects decide how their own state is shared.
#pragma once

#include "vst2/record/aeffect.h"
#include "vst2/record/vst_opaque_types.h"

class AEffEditor;

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect();  // slot 0

    virtual void setParameter(VstInt32 index, float value);
    virtual float getParameter(VstInt32 index);
    virtual void setParameterAutomated(VstInt32 index, float value);

    // Audio thread. `process` accumulates into the outputs in the published
    // contract; a derived effect must say what it does.
    virtual void process(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames);

    // Opcodes 0 to 24; every other opcode answers 0.
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    virtual void open();
    virtual void close();

    virtual VstInt32 getProgram();
    virtual void setProgram(VstInt32 program);
    virtual void setProgramName(char* name);
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(VstInt32 index, char* label);
    virtual void getParameterDisplay(VstInt32 index, char* text);
    virtual void getParameterName(VstInt32 index, char* text);
    virtual float getVu();
    virtual VstInt32 getChunk(void** data, bool isPreset = false);
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false);
    virtual void setSampleRate(float sampleRate);
    virtual void setBlockSize(VstInt32 blockSize);
    virtual void suspend();
    virtual void resume();

    virtual void setUniqueID(VstInt32 id);
    virtual void setNumInputs(VstInt32 inputs);
    virtual void setNumOutputs(VstInt32 outputs);
    virtual void hasVu(bool state = true);
    virtual void hasClip(bool state = true);
    virtual void canMono(bool state = true);
    virtual void canProcessReplacing(bool state = true);
    virtual void programsAreChunks(bool state = true);
    virtual void setRealtimeQualities(VstInt32 qualities);
    virtual void setOfflineQualities(VstInt32 qualities);
    virtual void setInitialDelay(VstInt32 delay);
    virtual float getSampleRate();
    virtual VstInt32 getBlockSize();

    // Requests to the host; each has a defined answer when no callback is stored.
    virtual VstInt32 getMasterVersion();
    virtual VstInt32 getCurrentUniqueId();
    virtual void masterIdle();
    virtual bool isInputConnected(VstInt32 input);
    virtual bool isOutputConnected(VstInt32 output);

    // Display texts into a caller buffer of at least 9 bytes (see value_format.h).
    virtual void dB2string(float value, char* text);
    virtual void Hz2string(float samples, char* text);
    virtual void ms2string(float samples, char* text);
    virtual void float2string(float value, char* text);
    virtual void long2string(VstInt32 value, char* text);  // slot 45

    AEffect* getAeffect() { return &cEffect; }

protected:
    // Sets or clears one bit of the record's flags.
    void setRecordFlag(VstInt32 bit, bool state);
    // One host request with this object's record; `fallback` when no callback is stored.
    VstIntPtr askHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt,
                      VstIntPtr fallback);

    float sampleRate;
    AEffEditor* editor;
    audioMasterCallback audioMaster;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 curProgram;
    VstInt32 blockSize;
    AEffect cEffect;
};
