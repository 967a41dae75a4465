// ZOVOridureri: the Sarnovellite effect as a VST 2 plug-in.
//
// A thin adapter: the record's identity (stereo effect, unique ID '9573', one
// program "Default", one announced parameter, a 2048-frame initial delay,
// names "Sarnovellite" and "Thessmoore") and the program name live here; the
// audio, the parameters and their texts are the SarnovelliteProcessor's, with
// the indices and mappings of effect/parameters/sarnovellite_parameters.h.
//
// Threads: processReplacing/process on the host's audio thread; setParameter
// and the text operations from any other thread at the same time (the
// processor keeps its values in relaxed atomics). resume resets the engine and
// must not overlap processing, which hosts guarantee around effMainsChanged.
// The audio path allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "effect/sarnovellite_processor.h"
#include "vst2/audio_effect_x.h"

class ZOVOridureri : public AudioEffectX {
public:
    explicit ZOVOridureri(audioMasterCallback audioMaster);
    ~ZOVOridureri() override;

    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void process(float** inputs, float** outputs,
                 VstInt32 sampleFrames) override;  // overwrites, like processReplacing
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void setProgramName(char* name) override;  // keeps at most 31 characters
    void getProgramName(char* name) override;  // needs 32 bytes
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    void setSampleRate(float rate) override;
    void setBlockSize(VstInt32 size) override;
    void suspend() override;
    void resume() override;
    VstInt32 getPlugCategory() override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;

    static constexpr VstInt32 kUniqueId = 0x39353733;  // '9573'
    static constexpr std::size_t kProgramNameBytes = 32;

private:
    using Processor = sarnovellite::effect::SarnovelliteProcessor;

    Processor processor;
    char programName[kProgramNameBytes];
};
