// A minimal concrete effect over AudioEffectX for the base-class tests: it
// only supplies the pure `process` and exposes the record flag bits.
#pragma once

#include "vst2/audio_effect_x.h"

class ProbeEffect : public AudioEffectX {
public:
    explicit ProbeEffect(audioMasterCallback host, VstInt32 programs = 1, VstInt32 params = 1)
        : AudioEffectX(host, programs, params) {}
    void process(float**, float**, VstInt32) override {}
    VstInt32 flags() { return getAeffect()->flags; }
};
