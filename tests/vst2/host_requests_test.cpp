#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/vst2/probe_effect.h"
#include "tests/vst2/recording_host.h"

namespace {

struct RequestCase {
    std::string name;
    std::function<VstIntPtr(ProbeEffect&)> call;  // makes the request, returns the result as an integer
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
    VstIntPtr resultForAnswer7;  // the host answers 7
    VstIntPtr resultWithoutHost;
};

void* const kPointer = reinterpret_cast<void*>(0x1234);
auto kAsPointer = [](const void* p) { return reinterpret_cast<VstIntPtr>(p); };

std::vector<RequestCase> requestCases() {
    auto* typed = static_cast<char*>(kPointer);
    return {
        {"getMasterVersion", [](ProbeEffect& e) { return e.getMasterVersion(); }, 1, 0, 0, nullptr, 0.0f, 7,
         1},
        {"getCurrentUniqueId", [](ProbeEffect& e) { return e.getCurrentUniqueId(); }, 2, 0, 0, nullptr, 0.0f,
         7, 0},
        {"masterIdle",
         [](ProbeEffect& e) {
             e.masterIdle();
             return 0;
         },
         3, 0, 0, nullptr, 0.0f, 0, 0},
        {"isInputConnected", [](ProbeEffect& e) { return e.isInputConnected(5); }, 4, 5, 0, nullptr, 0.0f, 0,
         1},
        {"isOutputConnected", [](ProbeEffect& e) { return e.isOutputConnected(6); }, 4, 6, 1, nullptr, 0.0f,
         0, 1},
        {"wantEvents",
         [](ProbeEffect& e) {
             e.wantEvents(9);
             return 0;
         },
         6, 0, 9, nullptr, 0.0f, 0, 0},
        {"getTimeInfo", [](ProbeEffect& e) { return kAsPointer(e.getTimeInfo(3)); }, 7, 0, 3, nullptr, 0.0f,
         7, 0},
        {"sendVstEventsToHost",
         [](ProbeEffect& e) { return e.sendVstEventsToHost(static_cast<VstEvents*>(kPointer)); }, 8, 0, 0,
         kPointer, 0.0f, 0, 0},
        {"tempoAt", [](ProbeEffect& e) { return e.tempoAt(44); }, 10, 0, 44, nullptr, 0.0f, 7, 0},
        {"getNumAutomatableParameters", [](ProbeEffect& e) { return e.getNumAutomatableParameters(); }, 11, 0,
         0, nullptr, 0.0f, 7, 0},
        {"getParameterQuantization", [](ProbeEffect& e) { return e.getParameterQuantization(); }, 12, 0, 0,
         nullptr, 0.0f, 7, 0},
        {"ioChanged", [](ProbeEffect& e) { return e.ioChanged(); }, 13, 0, 0, nullptr, 0.0f, 1, 0},
        {"needIdle", [](ProbeEffect& e) { return e.needIdle(); }, 14, 0, 0, nullptr, 0.0f, 1, 0},
        {"sizeWindow", [](ProbeEffect& e) { return e.sizeWindow(640, 480); }, 15, 640, 480, nullptr, 0.0f, 1,
         0},
        {"updateSampleRate", [](ProbeEffect& e) { return static_cast<VstIntPtr>(e.updateSampleRate()); }, 16,
         0, 0, nullptr, 0.0f, 7, 44100},
        {"updateBlockSize", [](ProbeEffect& e) { return e.updateBlockSize(); }, 17, 0, 0, nullptr, 0.0f, 7,
         1024},
        {"getInputLatency", [](ProbeEffect& e) { return e.getInputLatency(); }, 18, 0, 0, nullptr, 0.0f, 7,
         0},
        {"getOutputLatency", [](ProbeEffect& e) { return e.getOutputLatency(); }, 19, 0, 0, nullptr, 0.0f, 7,
         0},
        {"getPreviousPlug", [](ProbeEffect& e) { return kAsPointer(e.getPreviousPlug(3)); }, 20, 0, 0,
         nullptr, 0.0f, 7, 0},
        {"getNextPlug", [](ProbeEffect& e) { return kAsPointer(e.getNextPlug(3)); }, 21, 0, 0, nullptr, 0.0f,
         7, 0},
        {"willProcessReplacing", [](ProbeEffect& e) { return e.willProcessReplacing(); }, 22, 0, 0, nullptr,
         0.0f, 7, 0},
        {"getCurrentProcessLevel", [](ProbeEffect& e) { return e.getCurrentProcessLevel(); }, 23, 0, 0,
         nullptr, 0.0f, 7, 0},
        {"getAutomationState", [](ProbeEffect& e) { return e.getAutomationState(); }, 24, 0, 0, nullptr, 0.0f,
         7, 0},
        {"offlineStart",
         [](ProbeEffect& e) { return e.offlineStart(static_cast<VstAudioFile*>(kPointer), 3, 2); }, 25, 2, 3,
         kPointer, 0.0f, 1, 0},
        {"offlineRead",
         [](ProbeEffect& e) { return e.offlineRead(static_cast<VstOfflineTask*>(kPointer), 4, true); }, 26, 1,
         4, kPointer, 0.0f, 1, 0},
        {"offlineRead(false)",
         [](ProbeEffect& e) { return e.offlineRead(static_cast<VstOfflineTask*>(kPointer), 4, false); }, 26,
         0, 4, kPointer, 0.0f, 1, 0},
        {"offlineWrite",
         [](ProbeEffect& e) { return e.offlineWrite(static_cast<VstOfflineTask*>(kPointer), 5); }, 27, 0, 5,
         kPointer, 0.0f, 1, 0},
        {"offlineGetCurrentPass", [](ProbeEffect& e) { return e.offlineGetCurrentPass(); }, 28, 0, 0, nullptr,
         0.0f, 1, 0},
        {"offlineGetCurrentMetaPass", [](ProbeEffect& e) { return e.offlineGetCurrentMetaPass(); }, 29, 0, 0,
         nullptr, 0.0f, 1, 0},
        {"setOutputSamplerate",
         [](ProbeEffect& e) {
             e.setOutputSamplerate(96000.0f);
             return 0;
         },
         30, 0, 0, nullptr, 96000.0f, 0, 0},
        {"getOutputSpeakerArrangement",
         [](ProbeEffect& e) { return kAsPointer(e.getOutputSpeakerArrangement()); }, 31, 0, 0, nullptr, 0.0f,
         7, 0},
        {"getHostVendorString", [=](ProbeEffect& e) { return e.getHostVendorString(typed); }, 32, 0, 0,
         kPointer, 0.0f, 1, 0},
        {"getHostProductString", [=](ProbeEffect& e) { return e.getHostProductString(typed); }, 33, 0, 0,
         kPointer, 0.0f, 1, 0},
        {"getHostVendorVersion", [](ProbeEffect& e) { return e.getHostVendorVersion(); }, 34, 0, 0, nullptr,
         0.0f, 7, 0},
        {"hostVendorSpecific", [](ProbeEffect& e) { return e.hostVendorSpecific(11, 12, kPointer, 1.5f); },
         35, 11, 12, kPointer, 1.5f, 7, 0},
        {"canHostDo", [=](ProbeEffect& e) { return e.canHostDo(typed); }, 37, 0, 0, kPointer, 0.0f, 1, 0},
        {"getHostLanguage", [](ProbeEffect& e) { return e.getHostLanguage(); }, 38, 0, 0, nullptr, 0.0f, 7,
         0},
        {"openWindow",
         [](ProbeEffect& e) { return kAsPointer(e.openWindow(static_cast<VstWindow*>(kPointer))); }, 39, 0, 0,
         kPointer, 0.0f, 7, 0},
        {"closeWindow", [](ProbeEffect& e) { return e.closeWindow(static_cast<VstWindow*>(kPointer)); }, 40,
         0, 0, kPointer, 0.0f, 1, 0},
        {"getDirectory", [](ProbeEffect& e) { return kAsPointer(e.getDirectory()); }, 41, 0, 0, nullptr, 0.0f,
         7, 0},
        {"updateDisplay", [](ProbeEffect& e) { return e.updateDisplay(); }, 42, 0, 0, nullptr, 0.0f, 1, 0},
        {"beginEdit", [](ProbeEffect& e) { return e.beginEdit(2); }, 43, 2, 0, nullptr, 0.0f, 1, 0},
        {"endEdit", [](ProbeEffect& e) { return e.endEdit(2); }, 44, 2, 0, nullptr, 0.0f, 1, 0},
        {"openFileSelector",
         [](ProbeEffect& e) { return e.openFileSelector(static_cast<VstFileSelect*>(kPointer)); }, 45, 0, 0,
         kPointer, 0.0f, 1, 0},
        {"closeFileSelector",
         [](ProbeEffect& e) { return e.closeFileSelector(static_cast<VstFileSelect*>(kPointer)); }, 46, 0, 0,
         kPointer, 0.0f, 1, 0},
        {"getChunkFile", [](ProbeEffect& e) { return e.getChunkFile(kPointer); }, 48, 0, 0, kPointer, 0.0f, 1,
         0},
        {"getInputSpeakerArrangement",
         [](ProbeEffect& e) { return kAsPointer(e.getInputSpeakerArrangement()); }, 49, 0, 0, nullptr, 0.0f,
         7, 0},
    };
}

}  // namespace

TEST(HostRequests, EachSendsItsOpcodeAndArgumentsWithTheOwnRecord) {
    for (const RequestCase& c : requestCases()) {
        SCOPED_TRACE(c.name);
        ProbeEffect effect(recordingHostCallback);
        recordingHost().reset(7);
        const VstIntPtr result = c.call(effect);
        ASSERT_EQ(recordingHost().requests.size(), 1u);
        const HostRequest& r = recordingHost().requests[0];
        EXPECT_EQ(r.effect, effect.getAeffect());
        EXPECT_EQ(r.opcode, c.opcode);
        EXPECT_EQ(r.index, c.index);
        EXPECT_EQ(r.value, c.value);
        EXPECT_EQ(r.ptr, c.ptr);
        EXPECT_EQ(r.opt, c.opt);
        EXPECT_EQ(result, c.resultForAnswer7);
    }
}

TEST(HostRequests, WithoutCallbackNothingIsSentAndFallbacksApply) {
    for (const RequestCase& c : requestCases()) {
        SCOPED_TRACE(c.name);
        ProbeEffect effect(nullptr);
        EXPECT_EQ(c.call(effect), c.resultWithoutHost);
    }
}

TEST(HostRequests, AnswerConversionsAtTheirEdges) {
    ProbeEffect effect(recordingHostCallback);
    recordingHost().reset(0);
    EXPECT_EQ(effect.getMasterVersion(), 1);
    EXPECT_TRUE(effect.isInputConnected(0));
    EXPECT_TRUE(effect.isOutputConnected(0));
    EXPECT_EQ(effect.updateBlockSize(), 1024);
    EXPECT_EQ(effect.updateSampleRate(), 44100.0);
    recordingHost().reset(2300);
    EXPECT_EQ(effect.getMasterVersion(), 2300);
    recordingHost().reset(-5);
    EXPECT_EQ(effect.updateBlockSize(), 1024);
    EXPECT_EQ(effect.updateSampleRate(), 44100.0);
    recordingHost().reset(1);
    EXPECT_FALSE(effect.isInputConnected(0));
    EXPECT_TRUE(effect.sendVstEventsToHost(nullptr));
    recordingHost().reset(2);
    EXPECT_FALSE(effect.sendVstEventsToHost(nullptr));
    EXPECT_EQ(effect.canHostDo(nullptr), 1);
    recordingHost().reset(512);
    EXPECT_EQ(effect.updateBlockSize(), 512);
    EXPECT_EQ(effect.getBlockSize(), 512);
}

TEST(HostRequests, NullSelectorsAndPathsSendNothing) {
    ProbeEffect effect(recordingHostCallback);
    recordingHost().reset(1);
    EXPECT_FALSE(effect.openFileSelector(nullptr));
    EXPECT_FALSE(effect.closeFileSelector(nullptr));
    EXPECT_FALSE(effect.getChunkFile(nullptr));
    EXPECT_TRUE(recordingHost().requests.empty());
}

TEST(HostRequests, SetParameterAutomatedSetsFirstThenTellsTheHost) {
    struct Recorder : ProbeEffect {
        using ProbeEffect::ProbeEffect;
        std::size_t requestsSeenAtSet = 99;
        float stored = -1.0f;
        void setParameter(VstInt32, float value) override {
            stored = value;
            requestsSeenAtSet = recordingHost().requests.size();
        }
    };
    Recorder effect(recordingHostCallback);
    recordingHost().reset(0);
    effect.setParameterAutomated(3, 0.75f);
    EXPECT_EQ(effect.stored, 0.75f);
    EXPECT_EQ(effect.requestsSeenAtSet, 0u);
    ASSERT_EQ(recordingHost().requests.size(), 1u);
    EXPECT_EQ(recordingHost().requests[0].opcode, audioMasterAutomate);
    EXPECT_EQ(recordingHost().requests[0].index, 3);
    EXPECT_EQ(recordingHost().requests[0].opt, 0.75f);

    Recorder silent(nullptr);
    silent.setParameterAutomated(0, 0.5f);
    EXPECT_EQ(silent.stored, 0.5f);
}

TEST(RecordFlags, EachSetterSetsAndClearsOnlyItsBit) {
    struct Setter {
        std::function<void(ProbeEffect&, bool)> set;
        VstInt32 bit;
    };
    const std::vector<Setter> setters = {
        {[](ProbeEffect& e, bool s) { e.hasVu(s); }, 4},
        {[](ProbeEffect& e, bool s) { e.hasClip(s); }, 2},
        {[](ProbeEffect& e, bool s) { e.canMono(s); }, 8},
        {[](ProbeEffect& e, bool s) { e.canProcessReplacing(s); }, 16},
        {[](ProbeEffect& e, bool s) { e.programsAreChunks(s); }, 32},
        {[](ProbeEffect& e, bool s) { e.isSynth(s); }, 256},
        {[](ProbeEffect& e, bool s) { e.noTail(s); }, 512},
        {[](ProbeEffect& e, bool s) { e.wantAsyncOperation(s); }, 1024},
        {[](ProbeEffect& e, bool s) { e.hasExternalBuffer(s); }, 2048},
    };
    for (const Setter& setter : setters) {
        ProbeEffect effect(nullptr);
        EXPECT_EQ(effect.flags(), 0);
        setter.set(effect, true);
        EXPECT_EQ(effect.flags(), setter.bit);
        effect.getAeffect()->flags = 0xFFFF;
        setter.set(effect, false);
        EXPECT_EQ(effect.flags(), 0xFFFF & ~setter.bit);
    }
}
