#include "tests/vst2/recording_host.h"

RecordingHost& recordingHost() {
    static RecordingHost host;
    return host;
}

VstIntPtr VSTCALLBACK recordingHostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                            void* ptr, float opt) {
    RecordingHost& host = recordingHost();
    host.requests.push_back({effect, opcode, index, value, ptr, opt});
    return host.answer;
}
