// ZOVOridureri: the Sarnovellite effect.
//
// A stereo effect (2 in, 2 out) that hands the host's audio, cut into slices of
// at most 2048 frames and interleaved, to a TQCStreamEngine and writes back the
// engine's repaired frames, delayed by the 2048 frames announced in the record.
// One program ("Default"); parameter 0 is the sensitivity (five levels), 2 the
// click gap (8 to 64 samples), 3 a spare value; the record announces one.
//
// Threads: processReplacing/process on the host's audio thread; setParameter
// may run on another thread at the same time, so every parameter member is an
// atomic word accessed with relaxed ordering (each value stands alone; the
// detector picks up a change at its next window). resume resets the engine and
// must not overlap processing, which hosts guarantee around effMainsChanged.
// The audio path allocates nothing: the interleave buffer and the engine are
// built in the constructor.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "host/audio_effect_x.h"

class TQCStreamEngine;

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
    static constexpr std::int32_t kSliceFrames = 2048;
    static constexpr std::int32_t kChannels = 2;
    static constexpr std::size_t kProgramNameBytes = 32;

private:
    void setupEngine();

    std::atomic<float> spareValue;
    char programName[kProgramNameBytes];
    std::atomic<std::int32_t> sensitivityLevel;
    std::atomic<float> sensitivityValue;
    std::unique_ptr<TQCStreamEngine> engine;
    std::atomic<std::int32_t> clickGapSamples;
    std::atomic<float> clickGapValue;
    std::int32_t sliceLength;
    std::unique_ptr<float[]> interleaveBuffer;
    std::int32_t channelCount;
};
