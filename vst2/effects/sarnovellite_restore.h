// SarnovelliteRestore: the Sarnovellite Restore effect as a VST 2 plug-in.
//
// A thin adapter: the record's identity (stereo effect, unique ID 'SnRs', one
// program "Default", the five parameters of
// effect/parameters/restore_parameters.h, names "Sarnovellite Restore" and
// "Thessmoore") and the program name live here; the audio, the parameters and
// their texts are the RestoreProcessor's.
//
// Latency: the record's initialDelay is the processor's latency at the host's
// rate (3616 frames at 44.1 kHz, 82 ms at every rate). setSampleRate rebuilds
// the engine for the new rate and updates initialDelay; resume empties the
// engine and, when the delay differs from the one the host last saw, tells
// the host through audioMasterIOChanged. Until the host sets a rate the
// effect runs at 44.1 kHz.
//
// Threads: processReplacing/process on the host's audio thread; setParameter
// and the text operations from any other thread at the same time (relaxed
// atomics in the processor). setSampleRate and resume must not overlap
// processing: hosts call them with the effect switched off (effMainsChanged).
// The audio path allocates nothing; setSampleRate does, off the audio thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "effect/restore_processor.h"
#include "vst2/audio_effect_x.h"

class SarnovelliteRestore : public AudioEffectX {
public:
    explicit SarnovelliteRestore(audioMasterCallback audioMaster);
    ~SarnovelliteRestore() override;

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
    void setBlockSizeAndSampleRate(VstInt32 blockSize, float rate) override;
    void suspend() override;
    void resume() override;
    VstInt32 getPlugCategory() override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;

    static constexpr VstInt32 kUniqueId = 0x536E5273;  // 'SnRs'
    static constexpr std::size_t kProgramNameBytes = 32;

private:
    using Processor = sarnovellite::effect::RestoreProcessor;

    Processor processor;
    VstInt32 delaySeenByHost;  // initialDelay as of construction or the last IOChanged
    char programName[kProgramNameBytes];
};
