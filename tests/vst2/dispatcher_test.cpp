#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "vst2/plugin_editor.h"
#include "tests/vst2/probe_effect.h"

namespace {

VstIntPtr dispatch(AudioEffect& effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f) {
    AEffect* record = effect.getAeffect();
    return record->dispatcher(record, opcode, index, value, ptr, opt);
}

// Records which operation a dispatcher reached and with what.
struct Witness : ProbeEffect {
    using ProbeEffect::ProbeEffect;
    std::vector<std::string> calls;
    float vu = 0.0f;
    bool boolAnswer = true;

    void open() override { calls.push_back("open"); }
    void close() override { calls.push_back("close"); }
    void suspend() override { calls.push_back("suspend"); }
    void resume() override { calls.push_back("resume"); }
    float getVu() override { return vu; }
    VstInt32 getChunk(void** data, bool isPreset) override {
        calls.push_back(std::string("getChunk ") + (data ? "data " : "null ") +
                        (isPreset ? "preset" : "bank"));
        return 77;
    }
    VstInt32 setChunk(void*, VstInt32 byteSize, bool isPreset) override {
        calls.push_back("setChunk " + std::to_string(byteSize) + (isPreset ? " preset" : " bank"));
        return 78;
    }
    bool setBypass(bool onOff) override {
        calls.push_back(std::string("setBypass ") + (onOff ? "on" : "off"));
        return boolAnswer;
    }
    bool keysRequired() override { return boolAnswer; }
    void inputConnected(VstInt32 index, bool state) override {
        calls.push_back("inputConnected " + std::to_string(index) + (state ? " on" : " off"));
    }
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char*) override {
        calls.push_back("getProgramNameIndexed " + std::to_string(category) + " " + std::to_string(index));
        return boolAnswer;
    }
    bool setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output) override {
        calls.push_back(std::string("setSpeakerArrangement ") + (input ? "in " : "null ") +
                        (output ? "out" : "null"));
        return boolAnswer;
    }
};

struct FakeEditor : AEffEditor {
    std::vector<std::string>* calls;
    VstKeyCode lastKey{};
    explicit FakeEditor(std::vector<std::string>* log) : calls(log) {}
    ~FakeEditor() override { calls->push_back("editor deleted"); }
    bool getRect(ERect**) override {
        calls->push_back("getRect");
        return true;
    }
    bool open(void*) override {
        calls->push_back("editor open");
        return true;
    }
    void close() override { calls->push_back("editor close"); }
    void idle() override { calls->push_back("editor idle"); }
    bool onKeyDown(VstKeyCode& key) override {
        lastKey = key;
        calls->push_back("keyDown");
        return true;
    }
    bool onKeyUp(VstKeyCode& key) override {
        lastKey = key;
        calls->push_back("keyUp");
        return true;
    }
    bool setKnobMode(VstInt32 mode) override {
        calls->push_back("knob " + std::to_string(mode));
        return true;
    }
};

struct EditedEffect : Witness {
    explicit EditedEffect(std::vector<std::string>* log) : Witness(nullptr) { editor = new FakeEditor(log); }
    FakeEditor* fakeEditor() { return static_cast<FakeEditor*>(editor); }
};

}  // namespace

TEST(CoreDispatcher, FreshRecordOfTheBase) {
    ProbeEffect effect(nullptr, 3, 4);
    const AEffect* r = effect.getAeffect();
    EXPECT_EQ(r->magic, kEffectMagic);
    EXPECT_EQ(r->numPrograms, 3);
    EXPECT_EQ(r->numParams, 4);
    EXPECT_EQ(r->numInputs, 1);
    EXPECT_EQ(r->numOutputs, 2);
    EXPECT_EQ(r->flags, 0);
    EXPECT_EQ(r->uniqueID, 0x4E6F4566);
    EXPECT_EQ(r->ioRatio, 1.0f);
    EXPECT_EQ(r->object, static_cast<AudioEffect*>(&effect));
    EXPECT_EQ(r->initialDelay, 0);
    EXPECT_EQ(r->version, 1);
    EXPECT_EQ(effect.getSampleRate(), 44100.0f);
    EXPECT_EQ(effect.getBlockSize(), 1024);
}

TEST(CoreDispatcher, ProgramSelectionComparesSigned) {
    ProbeEffect effect(nullptr);
    dispatch(effect, effSetProgram, 0, 1);
    EXPECT_EQ(dispatch(effect, effGetProgram), 0);
    dispatch(effect, effSetProgram, 0, -1);
    EXPECT_EQ(dispatch(effect, effGetProgram), -1);
}

TEST(CoreDispatcher, VuIsScaledTruncatedAndSaturated) {
    Witness effect(nullptr);
    EXPECT_EQ(dispatch(effect, effGetVu), 0);
    effect.vu = 0.5f;
    EXPECT_EQ(dispatch(effect, effGetVu), 16383);
    effect.vu = -0.5f;
    EXPECT_EQ(dispatch(effect, effGetVu), -16383);
    effect.vu = NAN;
    EXPECT_EQ(dispatch(effect, effGetVu), 0);
    effect.vu = 1e30f;
    EXPECT_EQ(dispatch(effect, effGetVu), 2147483647);
}

TEST(CoreDispatcher, OpcodesReachTheirOperations) {
    Witness effect(nullptr);
    void* data = nullptr;
    dispatch(effect, effOpen);
    dispatch(effect, effMainsChanged, 0, 0);
    dispatch(effect, effMainsChanged, 0, 1);
    dispatch(effect, effMainsChanged, 0, -7);
    EXPECT_EQ(dispatch(effect, effGetChunk, 1, 0, &data), 77);
    EXPECT_EQ(dispatch(effect, effGetChunk, 0, 0, &data), 77);
    EXPECT_EQ(dispatch(effect, effSetChunk, 2, 321, &data), 78);
    EXPECT_EQ(dispatch(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f), 0);
    EXPECT_EQ(dispatch(effect, effSetBlockSize, 0, 256), 0);
    EXPECT_EQ(dispatch(effect, effIdentify), 0x4E764566);
    const std::vector<std::string> expected = {"open",
                                               "suspend",
                                               "resume",
                                               "resume",
                                               "getChunk data preset",
                                               "getChunk data bank",
                                               "setChunk 321 preset"};
    EXPECT_EQ(effect.calls, expected);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
    EXPECT_EQ(effect.getBlockSize(), 256);
}

TEST(CoreDispatcher, UnknownAndEditorOpcodesAnswerZeroAndDoNothing) {
    Witness effect(nullptr);
    for (VstInt32 opcode : std::vector<VstInt32>{
             -1, 77, 1000, effEditGetRect, effEditOpen, effEditClose, effEditDraw, effEditMouse, effEditKey,
             effEditIdle, effEditTop, effEditSleep, effEditKeyDown, effEditKeyUp, effSetEditKnobMode}) {
        EXPECT_EQ(dispatch(effect, opcode, 1, 2, nullptr, 3.0f), 0) << opcode;
    }
    EXPECT_TRUE(effect.calls.empty());
    EXPECT_EQ(dispatch(effect, effGetProgram), 0);
}

TEST(CoreDispatcher, AnAttachedEditorIsUsedAndDeletedWithTheEffect) {
    std::vector<std::string> log;
    {
        EditedEffect effect(&log);
        EXPECT_EQ(dispatch(effect, effEditGetRect), 1);
        EXPECT_EQ(dispatch(effect, effEditOpen), 1);
        EXPECT_EQ(dispatch(effect, effEditIdle), 0);
        EXPECT_EQ(dispatch(effect, effEditClose), 0);
        EXPECT_EQ(dispatch(effect, effEditKeyDown, 'a', 0x1FF, nullptr, 3.9f), 1);
        EXPECT_EQ(effect.fakeEditor()->lastKey.character, 'a');
        EXPECT_EQ(effect.fakeEditor()->lastKey.virt, 0xFF);
        EXPECT_EQ(effect.fakeEditor()->lastKey.modifier, 3);
        EXPECT_EQ(dispatch(effect, effEditKeyUp, 'b', 2, nullptr, 258.0f), 1);
        EXPECT_EQ(effect.fakeEditor()->lastKey.modifier, 2);
        EXPECT_EQ(dispatch(effect, effSetEditKnobMode, 0, 2), 1);
        EXPECT_EQ(effect.getEditor(), effect.fakeEditor());
    }
    const std::vector<std::string> expected = {"getRect", "editor open", "editor idle", "editor close",
                                               "keyDown", "keyUp",       "knob 2",      "editor deleted"};
    EXPECT_EQ(log, expected);
}

TEST(ExtendedDispatcher, DefaultAnswers) {
    ProbeEffect effect(nullptr);
    char text[64] = "untouched";
    const std::vector<std::pair<VstInt32, VstIntPtr>> answers = {
        {effProcessEvents, 0},
        {effCanBeAutomated, 1},
        {effString2Parameter, 0},
        {effGetNumProgramCategories, 1},
        {effGetProgramNameIndexed, 0},
        {effCopyProgram, 0},
        {effConnectInput, 1},
        {effConnectOutput, 1},
        {effGetInputProperties, 0},
        {effGetOutputProperties, 0},
        {effGetPlugCategory, 0},
        {effGetCurrentPosition, 0},
        {effGetDestinationBuffer, 0},
        {effOfflineNotify, 0},
        {effOfflinePrepare, 0},
        {effOfflineRun, 0},
        {effProcessVarIo, 0},
        {effSetSpeakerArrangement, 0},
        {effSetBypass, 0},
        {effGetEffectName, 0},
        {effGetErrorText, 0},
        {effGetVendorString, 0},
        {effGetProductString, 0},
        {effGetVendorVersion, 0},
        {effVendorSpecific, 0},
        {effCanDo, 0},
        {effGetTailSize, 0},
        {effIdle, 0},
        {effGetIcon, 0},
        {effSetViewPosition, 0},
        {effGetParameterProperties, 0},
        {effKeysRequired, 1},
        {effGetVstVersion, 2300},
        {effGetMidiProgramName, 0},
        {effGetCurrentMidiProgram, -1},
        {effGetMidiProgramCategory, 0},
        {effHasMidiProgramsChanged, 0},
        {effGetMidiKeyName, 0},
        {effBeginSetProgram, 0},
        {effEndSetProgram, 0},
        {effShellGetNextPlugin, 0},
        {effStartProcess, 0},
        {effStopProcess, 0},
        {effSetPanLaw, 0},
        {effBeginLoadBank, 0},
        {effBeginLoadProgram, 0},
    };
    for (const auto& [opcode, answer] : answers) {
        EXPECT_EQ(dispatch(effect, opcode, 0, 0, text), answer) << opcode;
    }
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(dispatch(effect, effSetTotalSampleToProcess, 0, 4410), 4410);
    EXPECT_EQ(dispatch(effect, effSetBlockSizeAndSampleRate, 0, 512, nullptr, 48000.0f), 1);
    EXPECT_EQ(effect.getBlockSize(), 512);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
    effect.isSynth(true);
    EXPECT_EQ(dispatch(effect, effGetPlugCategory), kPlugCategSynth);
    EXPECT_EQ(effect.getChannelParameter(0, 0), 0.0f);
    EXPECT_EQ(effect.offlineGetNumPasses(), 0);
    EXPECT_EQ(effect.offlineGetNumMetaPasses(), 0);
}

TEST(ExtendedDispatcher, ArgumentsAndBoolConversions) {
    Witness effect(nullptr);
    VstSpeakerArrangement arrangement{};
    EXPECT_EQ(dispatch(effect, effSetBypass, 0, 5), 1);
    EXPECT_EQ(dispatch(effect, effSetBypass, 0, 0), 1);
    EXPECT_EQ(dispatch(effect, effKeysRequired), 0);
    EXPECT_EQ(dispatch(effect, effGetProgramNameIndexed, 4, 9), 1);
    EXPECT_EQ(dispatch(effect, effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&arrangement),
                       &arrangement),
              1);
    effect.boolAnswer = false;
    EXPECT_EQ(dispatch(effect, effConnectInput, 1, 0), 1);
    EXPECT_EQ(dispatch(effect, effSetBypass, 0, 1), 0);
    EXPECT_EQ(dispatch(effect, effKeysRequired), 1);
    const std::vector<std::string> expected = {
        "setBypass on",         "setBypass off", "getProgramNameIndexed 9 4", "setSpeakerArrangement in out",
        "inputConnected 1 off", "setBypass on"};
    EXPECT_EQ(effect.calls, expected);
}

TEST(ExtendedDispatcher, GetSpeakerArrangementClearsBothSlots) {
    ProbeEffect effect(nullptr);
    auto* sentinel = reinterpret_cast<VstSpeakerArrangement*>(0x40);
    VstSpeakerArrangement* input = sentinel;
    VstSpeakerArrangement* output = sentinel;
    EXPECT_EQ(dispatch(effect, effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
    EXPECT_EQ(dispatch(effect, effGetSpeakerArrangement, 0, 0, nullptr), 0);
}

TEST(ExtendedDispatcher, CoreOpcodesStillReachTheCoreTable) {
    Witness effect(nullptr);
    dispatch(effect, effOpen);
    dispatch(effect, effMainsChanged, 0, 1);
    EXPECT_EQ(dispatch(effect, effIdentify), 0x4E764566);
    const std::vector<std::string> expected = {"open", "resume"};
    EXPECT_EQ(effect.calls, expected);
}

TEST(EffectRecord, EffCloseLetsTheObjectCloseThenDestroysIt) {
    static std::vector<std::string> log;
    struct Mortal : Witness {
        using Witness::Witness;
        ~Mortal() override { log.push_back("destroyed"); }
        void close() override { log.push_back("close"); }
    };
    log.clear();
    auto* effect = new Mortal(nullptr);
    AEffect* record = effect->getAeffect();
    EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
    const std::vector<std::string> expected = {"close", "destroyed"};
    EXPECT_EQ(log, expected);
}

TEST(CoreDispatcher, BaseTextOperationsWriteEmptyTexts) {
    ProbeEffect effect(nullptr);
    for (VstInt32 opcode :
         {effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName}) {
        char text[16] = "host text";
        EXPECT_EQ(dispatch(effect, opcode, 3, 0, text), 0) << opcode;
        EXPECT_STREQ(text, "") << opcode;
        EXPECT_EQ(dispatch(effect, opcode, 3, 0, nullptr), 0) << opcode;  // a null buffer is left alone
    }
    AEffect* record = effect.getAeffect();
    record->setParameter(record, 0, 0.75f);
    EXPECT_EQ(record->getParameter(record, 0), 0.0f);
}
