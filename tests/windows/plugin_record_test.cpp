// The DLL loaded as a Windows host of its width loads it: export, record, texts,
// parameters and closing, all through the record's entries.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tests/windows/plugin_instance_test.h"

namespace {

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

// Asks for a text into a buffer pre-filled with a marker, so a missing
// terminator or an untouched buffer shows.
std::string textOf(AEffect* effect, VstInt32 opcode, VstInt32 index = 0) {
    char buffer[256];
    std::memset(buffer, '#', sizeof buffer);
    buffer[sizeof buffer - 1] = '\0';
    dispatch(effect, opcode, index, 0, buffer);
    return buffer;
}

using PluginRecord = PluginInstanceTest;

// 32-bit hosts look only for main; 64-bit hosts try VSTPluginMain first, so
// the 64-bit DLL exports the same function under both names.
TEST_F(PluginRecord, ExportsTheEntryUnderItsTargetsNamesOnly) {
    EXPECT_NE(plugin->entry("main"), nullptr);
#ifdef _WIN64
    EXPECT_EQ(plugin->entry("VSTPluginMain"), plugin->entry("main"));
#else
    EXPECT_EQ(plugin->entry("VSTPluginMain"), nullptr);
#endif
    EXPECT_EQ(plugin->entry("_main"), nullptr);
    EXPECT_EQ(plugin->entry("createPluginInstance"), nullptr);
}

TEST_F(PluginRecord, HostWithoutVersionGetsNoInstance) { EXPECT_EQ(plugin->create(silentHost), nullptr); }

TEST_F(PluginRecord, FreshRecordHoldsThePluginsValues) {
    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_EQ(effect->numPrograms, 1);
    EXPECT_EQ(effect->numParams, 1);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->flags, effFlagsCanMono | effFlagsCanReplacing);
    EXPECT_EQ(effect->resvd1, 0);
    EXPECT_EQ(effect->resvd2, 0);
    EXPECT_EQ(effect->initialDelay, 2048);
    EXPECT_EQ(effect->realQualities, 0);
    EXPECT_EQ(effect->offQualities, 0);
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_NE(effect->object, nullptr);
    EXPECT_EQ(effect->user, nullptr);
    EXPECT_EQ(effect->uniqueID, 0x39353733);
    EXPECT_EQ(effect->version, 1);
    EXPECT_NE(effect->dispatcher, nullptr);
    EXPECT_NE(effect->process, nullptr);
    EXPECT_NE(effect->processReplacing, nullptr);
    EXPECT_NE(effect->setParameter, nullptr);
    EXPECT_NE(effect->getParameter, nullptr);
    for (char c : effect->future) EXPECT_EQ(c, 0);
}

TEST_F(PluginRecord, EachCallOfMainMakesAnIndependentInstance) {
    AEffect* second = plugin->create(versionAnsweringHost);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, effect);
    EXPECT_NE(second->object, effect->object);
    second->setParameter(second, 0, 1.0f);
    EXPECT_EQ(second->getParameter(second, 0), 1.0f);
    EXPECT_EQ(effect->getParameter(effect, 0), 0.0f);
    EXPECT_EQ(dispatch(second, effClose), 1);
}

TEST_F(PluginRecord, IdentityTexts) {
    EXPECT_EQ(textOf(effect, effGetEffectName), "Sarnovellite");
    EXPECT_EQ(textOf(effect, effGetVendorString), "Thessmoore");
    EXPECT_EQ(textOf(effect, effGetProductString), "Sarnovellite");
    EXPECT_EQ(textOf(effect, effGetProgramName), "Default");
    EXPECT_EQ(dispatch(effect, effGetVendorVersion), 1000);
    EXPECT_EQ(dispatch(effect, effGetPlugCategory), kPlugCategEffect);
    EXPECT_EQ(dispatch(effect, effGetVstVersion), 2300);
}

TEST_F(PluginRecord, ParameterNamesLabelsAndDefaultTexts) {
    EXPECT_EQ(textOf(effect, effGetParamName, 0), "Sensitivity");
    EXPECT_EQ(textOf(effect, effGetParamName, 1), "Unused");
    EXPECT_EQ(textOf(effect, effGetParamName, 2), "Clickgap");
    EXPECT_EQ(textOf(effect, effGetParamName, 3), "Unused");
    for (VstInt32 index = 0; index < 4; ++index) EXPECT_EQ(textOf(effect, effGetParamLabel, index), "");
    EXPECT_EQ(textOf(effect, effGetParamDisplay, 0), "1");
    EXPECT_EQ(textOf(effect, effGetParamDisplay, 2), "32");
    EXPECT_EQ(textOf(effect, effGetParamDisplay, 3), "0");
    EXPECT_EQ(textOf(effect, effGetParamDisplay, 1), "");
}

TEST_F(PluginRecord, TextOpcodesWithANullBufferWriteNothing) {
    for (VstInt32 opcode : {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName})
        for (VstInt32 index = -1; index < 5; ++index) EXPECT_EQ(dispatch(effect, opcode, index), 0) << opcode;
    for (VstInt32 opcode : {effGetEffectName, effGetVendorString, effGetProductString})
        EXPECT_EQ(dispatch(effect, opcode), 0) << opcode;
    EXPECT_EQ(textOf(effect, effGetVendorString), "Thessmoore");
}

TEST_F(PluginRecord, DefaultParameterValues) {
    EXPECT_EQ(effect->getParameter(effect, 0), 0.0f);
    EXPECT_EQ(effect->getParameter(effect, 1), 1.0f);
    EXPECT_EQ(effect->getParameter(effect, 3), 1.0f);
    EXPECT_EQ(effect->getParameter(effect, 7), 1.0f);
    const float clickGap = effect->getParameter(effect, 2);
    std::uint32_t bits = 0;
    std::memcpy(&bits, &clickGap, sizeof bits);
    EXPECT_EQ(bits, 0x3EDB6DB7u);
}

TEST_F(PluginRecord, SensitivityLevelsFollowTheQuarterSteps) {
    const struct {
        float value;
        const char* text;
    } cases[] = {{0.0f, "1"},    {0.2499f, "1"}, {0.25f, "2"}, {0.5f, "3"},
                 {0.7499f, "3"}, {0.75f, "4"},   {1.0f, "5"}};
    for (const auto& c : cases) {
        effect->setParameter(effect, 0, c.value);
        EXPECT_EQ(effect->getParameter(effect, 0), c.value);
        EXPECT_EQ(textOf(effect, effGetParamDisplay, 0), c.text) << "value " << c.value;
    }
}

TEST_F(PluginRecord, ClickGapMapsOntoEightToSixtyFourSamples) {
    const struct {
        float value;
        const char* text;
    } cases[] = {{0.0f, "8"}, {0.5f, "36"}, {1.0f, "64"}, {0.42857143f, "32"}};
    for (const auto& c : cases) {
        effect->setParameter(effect, 2, c.value);
        EXPECT_EQ(effect->getParameter(effect, 2), c.value);
        EXPECT_EQ(textOf(effect, effGetParamDisplay, 2), c.text) << "value " << c.value;
    }
}

TEST_F(PluginRecord, SpareAndUnannouncedIndices) {
    effect->setParameter(effect, 3, 0.25f);
    EXPECT_EQ(effect->getParameter(effect, 3), 0.25f);
    EXPECT_EQ(effect->getParameter(effect, 1), 0.25f);
    effect->setParameter(effect, 1, 0.75f);
    EXPECT_EQ(effect->getParameter(effect, 1), 0.25f);
    EXPECT_EQ(textOf(effect, effGetParamDisplay, 3), "0");
}

TEST_F(PluginRecord, ProgramNameRoundTrips) {
    char name[] = "Vinyl side A";
    dispatch(effect, effSetProgramName, 0, 0, name);
    EXPECT_EQ(textOf(effect, effGetProgramName), "Vinyl side A");
    EXPECT_EQ(dispatch(effect, effGetProgram), 0);
}

TEST_F(PluginRecord, CloseAnswersOne) {
    EXPECT_EQ(dispatch(effect, effClose), 1);
    effect = nullptr;
}

}  // namespace
