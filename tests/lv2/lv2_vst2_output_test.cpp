// The LV2 plug-ins give the VST 2 effects' output bit for bit: the same input,
// the same settings (the VST 2 effect's display texts confirm what it was
// given), both loaded from their built binaries and run in different block
// sizes. A control outside its range acts as its nearest end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effect/parameters/sarnovellite_parameters.h"
#include "lv2/bundle_plugins.h"
#include "lv2_material.h"
#include "tests/loader/plugin_module.h"

namespace {

namespace table = sarnovellite::effect::sarnovellite_parameters;
using sarnovellite::effect::ParameterInfo;

struct Vst2Setting {
    const ParameterInfo* info;
    double shown;
    std::string display;  // what the VST 2 effect must then show
};

// The VST 2 effect with `settings` applied through setParameter, switched
// on, run over `input` plus `latency` silent frames; the output is trimmed
// to line up with the input as an LV2 host's render would (delay kept).
Stereo vst2Render(const char* path, const std::vector<Vst2Setting>& settings, const Stereo& input) {
    const PluginModule module(path);
    EXPECT_TRUE(module.loaded()) << module.error();
    AEffect* effect = module.create(versionAnsweringHost);
    EXPECT_NE(effect, nullptr);
    if (effect == nullptr) return {};
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect->dispatcher(effect, effSetBlockSize, 0, 4096, nullptr, 0.0f);
    for (const Vst2Setting& s : settings) {
        effect->setParameter(effect, s.info->index, sarnovellite::effect::normalisedFor(*s.info, s.shown));
        char text[64] = {};
        effect->dispatcher(effect, effGetParamDisplay, s.info->index, 0, text, 0.0f);
        EXPECT_EQ(std::string(text), s.display) << s.info->name;
    }
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    Stereo out{std::vector<float>(input.frames()), std::vector<float>(input.frames())};
    const std::size_t blocks[] = {1000, 7, 4096, 2048, 333};
    std::size_t offset = 0;
    for (std::size_t k = 0; offset < input.frames(); ++k) {
        const std::size_t n = std::min(blocks[k % 5], input.frames() - offset);
        float* inputs[2] = {const_cast<float*>(input.left.data()) + offset,
                            const_cast<float*>(input.right.data()) + offset};
        float* outputs[2] = {out.left.data() + offset, out.right.data() + offset};
        effect->processReplacing(effect, inputs, outputs, static_cast<VstInt32>(n));
        offset += n;
    }
    effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    return out;
}

Stereo lv2Render(std::string_view uri, const std::vector<float>& controls, const Stereo& input) {
    const LV2_Descriptor* d = bundleBinary().descriptor(uri);
    EXPECT_NE(d, nullptr);
    if (d == nullptr) return {};
    Lv2Instance instance(d, 44100.0, controls);
    instance.activate();
    return instance.run(input, kVaryingBlocks);
}

void expectSameAudio(const Stereo& lv2, const Stereo& vst2) {
    ASSERT_EQ(lv2.frames(), vst2.frames());
    EXPECT_TRUE(bitIdentical(lv2.left, vst2.left));
    EXPECT_TRUE(bitIdentical(lv2.right, vst2.right));
}

// Sensitivity and Clickgap across their ranges, then beyond both ends.
TEST(Lv2Vst2Output, SarnovelliteGivesTheVst2EffectsOutputBitForBit) {
    const Stereo input = clickedStereo(4 * 44100, 21);
    struct Case {
        float sensitivity, clickGap;  // on the LV2 ports
        double vst2Level, vst2Gap;    // what the VST 2 effect is given
    };
    const Case cases[] = {{1, 32, 1, 32}, {3, 20, 3, 20},  {5, 64, 5, 64},
                          {2, 8, 2, 8},   {9, 100, 5, 64}, {-2, 0, 1, 8}};
    std::size_t repairing = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "sensitivity " << c.sensitivity << ", clickgap " << c.clickGap);
        const Stereo vst2 = vst2Render(
            SARNOVELLITE_VST2_PATH,
            {{&table::kSensitivityInfo, c.vst2Level, std::to_string(static_cast<int>(c.vst2Level))},
             {&table::kClickGapInfo, c.vst2Gap, std::to_string(static_cast<int>(c.vst2Gap))}},
            input);
        expectSameAudio(
            lv2Render(sarnovellite::lv2::kSarnovelliteDescription.uri, {c.sensitivity, c.clickGap}, input),
            vst2);
        // The settings matter: the repairs differ from the plain delay.
        for (std::size_t i = 2048; i < input.frames(); ++i) repairing += vst2.left[i] != input.left[i - 2048];
    }
    EXPECT_GT(repairing, 0u);
}

}  // namespace
