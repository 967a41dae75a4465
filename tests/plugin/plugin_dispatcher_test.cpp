#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "tests/plugin/plugin_instance.h"

TEST(PluginDispatcher, IdentityAndCapabilities) {
    PluginInstance effect;
    char buffer[64];
    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(effect.dispatch(effGetEffectName, 0, 0, buffer), 1);
    EXPECT_EQ(std::memcmp(buffer, "Sarnovellite", 13), 0);  // with its terminator
    EXPECT_EQ(buffer[13], 'x');
    EXPECT_EQ(effect.text(effGetVendorString), "Thessmoore");
    EXPECT_EQ(effect.dispatch(effGetVendorString, 0, 0, buffer), 1);
    EXPECT_EQ(effect.text(effGetProductString), "Sarnovellite");
    EXPECT_EQ(effect.dispatch(effGetProductString, 0, 0, buffer), 1);
    EXPECT_EQ(effect.dispatch(effGetVendorVersion), 1000);
    EXPECT_EQ(effect.dispatch(effGetPlugCategory), 1);
    EXPECT_EQ(effect.dispatch(effGetVstVersion), 2300);
    EXPECT_EQ(effect.dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(effect.dispatch(effKeysRequired), 1);
    EXPECT_EQ(effect.dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(effect.dispatch(effGetNumProgramCategories), 1);
    EXPECT_EQ(effect.dispatch(effCanBeAutomated, 0), 1);
    EXPECT_EQ(effect.dispatch(effGetTailSize), 0);
    for (VstIntPtr value : {0, 1, 7}) EXPECT_EQ(effect.dispatch(effSetBypass, 0, value), 0);
    for (const char* capability :
         {"bypass", "receiveVstEvents", "plugAsChannelInsert", "", "anything at all"}) {
        std::string text = capability;
        EXPECT_EQ(effect.dispatch(effCanDo, 0, 0, text.data()), 0) << capability;
    }
    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(effect.dispatch(effGetErrorText, 0, 0, buffer), 0);
    EXPECT_EQ(buffer[0], 'x');
}

TEST(PluginDispatcher, NoEditorAndUnknownOpcodesAnswerZero) {
    PluginInstance effect;
    for (VstInt32 opcode : std::vector<VstInt32>{
             effEditGetRect, effEditOpen, effEditClose, effEditDraw, effEditMouse, effEditKey, effEditIdle,
             effEditTop, effEditSleep, effEditKeyDown, effEditKeyUp, effSetEditKnobMode, effGetVu,
             effGetChunk, effSetChunk, 77, 100, -1}) {
        void* slot = nullptr;
        EXPECT_EQ(effect.dispatch(opcode, 0, 0, &slot), 0) << opcode;
    }
    EXPECT_EQ(effect.dispatch(effSetBlockSizeAndSampleRate, 0, 512, nullptr, 48000.0f), 1);
    EXPECT_EQ(effect.dispatch(effConnectInput, 0, 1), 1);
    EXPECT_EQ(effect.dispatch(effConnectOutput, 1, 0), 1);
    EXPECT_EQ(effect.dispatch(effSetTotalSampleToProcess, 0, 4096), 4096);
    EXPECT_EQ(effect.record()->flags, 24);
}

TEST(PluginDispatcher, SingleProgramAndItsName) {
    PluginInstance effect;
    EXPECT_EQ(effect.dispatch(effGetProgram), 0);
    effect.dispatch(effSetProgram, 0, 1);
    EXPECT_EQ(effect.dispatch(effGetProgram), 0);
    effect.dispatch(effSetProgram, 0, -1);
    EXPECT_EQ(effect.dispatch(effGetProgram), -1);
    effect.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(effect.dispatch(effGetProgram), 0);

    EXPECT_EQ(effect.text(effGetProgramName), "Default");
    char name[] = "Vinyl side A";
    EXPECT_EQ(effect.dispatch(effSetProgramName, 0, 0, name), 0);
    EXPECT_EQ(effect.text(effGetProgramName), "Vinyl side A");
}

TEST(PluginDispatcher, LongProgramNamesKeepTheirFirst31Characters) {
    PluginInstance effect;
    std::string longName(300, 'L');
    for (std::size_t i = 0; i < longName.size(); ++i) longName[i] = static_cast<char>('a' + i % 26);
    effect.dispatch(effSetProgramName, 0, 0, longName.data());
    EXPECT_EQ(effect.text(effGetProgramName), longName.substr(0, 31));
    // The object around the name is intact.
    EXPECT_EQ(effect.getParameter(0), 0.0f);
    EXPECT_EQ(effect.text(effGetParamDisplay, 0), "1");
    std::string exact(31, 'e');
    effect.dispatch(effSetProgramName, 0, 0, exact.data());
    EXPECT_EQ(effect.text(effGetProgramName), exact);
}

TEST(PluginDispatcher, FreshParametersNamesAndTexts) {
    PluginInstance effect;
    EXPECT_EQ(effect.getParameter(0), 0.0f);
    EXPECT_EQ(effect.getParameter(2), 0.42857143f);
    for (VstInt32 index : {1, 3, 4, 5}) EXPECT_EQ(effect.getParameter(index), 1.0f) << index;
    EXPECT_EQ(effect.text(effGetParamName, 0), "Sensitivity");
    EXPECT_EQ(effect.text(effGetParamName, 1), "Unused");
    EXPECT_EQ(effect.text(effGetParamName, 2), "Clickgap");
    EXPECT_EQ(effect.text(effGetParamName, 3), "Unused");
    EXPECT_EQ(effect.text(effGetParamName, 9), "Unused");
    EXPECT_EQ(effect.text(effGetParamDisplay, 0), "1");
    EXPECT_EQ(effect.text(effGetParamDisplay, 2), "32");
    EXPECT_EQ(effect.text(effGetParamDisplay, 3), "0");
    for (VstInt32 index : {0, 1, 2, 3}) {
        char label[16];
        std::memset(label, 'x', sizeof(label));
        effect.dispatch(effGetParamLabel, index, 0, label);
        EXPECT_EQ(label[0], '\0') << index;
    }
    // Indices without a display text get an empty one, not the host's old bytes.
    for (VstInt32 index : {1, 4, -1}) {
        char text[16] = "keep";
        effect.dispatch(effGetParamDisplay, index, 0, text);
        EXPECT_STREQ(text, "") << index;
    }
}

// Hosts that probe with a null buffer get the answer for "nothing written"
// instead of a crash; the instance is unharmed.
TEST(PluginDispatcher, TextOpcodesWithANullBufferWriteNothing) {
    PluginInstance effect;
    for (VstInt32 opcode :
         {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName, effSetProgramName}) {
        for (VstInt32 index : {-1, 0, 1, 2, 3, 4}) EXPECT_EQ(effect.dispatch(opcode, index), 0) << opcode;
    }
    for (VstInt32 opcode : {effGetEffectName, effGetVendorString, effGetProductString, effGetErrorText})
        EXPECT_EQ(effect.dispatch(opcode), 0) << opcode;
    EXPECT_EQ(effect.text(effGetEffectName), "Sarnovellite");
    EXPECT_EQ(effect.text(effGetProgramName), "Default");
}

// The level and gap are exact truncations of the double products; the
// reference is computed here from the same formula in long double.
TEST(PluginDispatcher, ParameterMappingTruncatesTheDoubleProduct) {
    PluginInstance effect;
    const std::vector<std::pair<float, const char*>> sensitivity = {
        {0.0f, "1"},    {0.2499f, "1"}, {0.25f, "2"}, {0.4999f, "2"}, {0.5f, "3"}, {0.75f, "4"},
        {0.9999f, "4"}, {1.0f, "5"},    {-0.1f, "1"}, {-0.25f, "0"},  {2.0f, "9"}};
    for (const auto& [value, text] : sensitivity) {
        effect.setParameter(0, value);
        EXPECT_EQ(effect.getParameter(0), value);
        EXPECT_EQ(effect.text(effGetParamDisplay, 0), text) << value;
    }
    const std::vector<std::pair<float, const char*>> gap = {
        {0.0f, "8"}, {0.5f, "36"}, {1.0f, "64"}, {0.42857143f, "32"}, {1.5f, "92"}, {-1.0f, "-48"}};
    for (const auto& [value, text] : gap) {
        effect.setParameter(2, value);
        EXPECT_EQ(effect.getParameter(2), value);
        EXPECT_EQ(effect.text(effGetParamDisplay, 2), text) << value;
    }
    for (int step = 0; step <= 1000; ++step) {
        const float value = static_cast<float>(step) / 1000.0f;
        effect.setParameter(2, value);
        const long long expected = static_cast<long long>(static_cast<long double>(value) * 56.0L + 8.0L);
        ASSERT_EQ(effect.text(effGetParamDisplay, 2), std::to_string(expected)) << value;
    }
    effect.setParameter(3, 0.125f);
    EXPECT_EQ(effect.getParameter(3), 0.125f);
    EXPECT_EQ(effect.text(effGetParamDisplay, 3), "0");
    effect.setParameter(1, 0.75f);  // index 1 stores nothing
    EXPECT_EQ(effect.getParameter(1), 0.125f);
    effect.setParameter(7, 0.5f);
    EXPECT_EQ(effect.getParameter(7), 0.125f);
}

// Run under the undefined-behaviour sanitizer: these values would make the
// float-to-integer conversion undefined without saturation.
TEST(PluginDispatcher, ParameterValuesBeyondInt32Saturate) {
    PluginInstance effect;
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<std::pair<float, const char*>> sensitivity = {{nan, "1"},
                                                                    {inf, "2147483648"},
                                                                    {-inf, "-2147483647"},
                                                                    {1e30f, "2147483648"},
                                                                    {-1e30f, "-2147483647"},
                                                                    {536870880.0f, "2147483521"}};
    for (const auto& [value, text] : sensitivity) {
        effect.setParameter(0, value);
        EXPECT_EQ(effect.text(effGetParamDisplay, 0), text) << value;
    }
    const std::vector<std::pair<float, const char*>> gap = {{nan, "0"},
                                                            {inf, "2147483647"},
                                                            {-inf, "-2147483648"},
                                                            {1e20f, "2147483647"},
                                                            {-1e20f, "-2147483648"}};
    for (const auto& [value, text] : gap) {
        effect.setParameter(2, value);
        EXPECT_EQ(effect.text(effGetParamDisplay, 2), text) << value;
    }
    effect.setParameter(2, nan);
    EXPECT_TRUE(std::isnan(effect.getParameter(2)));
    // The instance still processes normally afterwards.
    std::vector<float> left(4096, 0.1f), right(4096, 0.1f), outLeft, outRight;
    effect.run(left, right, {4096}, outLeft, outRight);
    EXPECT_EQ(outLeft[4095], 0.1f);
}
