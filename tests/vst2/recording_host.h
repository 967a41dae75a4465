// A host callback that records every request and answers from a script.
//
// The callback signature carries no context, so the recorder is one global per
// test process; tests reset it before use. Not thread-safe.
#pragma once

#include <vector>

#include "vst2/record/aeffect.h"

struct HostRequest {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

struct RecordingHost {
    std::vector<HostRequest> requests;
    VstIntPtr answer = 0;

    void reset(VstIntPtr nextAnswer) {
        requests.clear();
        answer = nextAnswer;
    }
};

RecordingHost& recordingHost();
VstIntPtr VSTCALLBACK recordingHostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                            void* ptr, float opt);
