// The built SarnovelliteRestore.so driven through its record as a host drives
// it: identity, the parameter table's names, units, ranges and texts, the
// announced latency against the delay the audio really has (after
// suspend/resume and a rate change too), block-size invariance and
// containment of non-finite input.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "effect/parameters/restore_parameters.h"
#include "tests/plugin/plugin_instance.h"
#include "tests/plugin/test_signals.h"

namespace {

using namespace sarnovellite::effect;
namespace table = sarnovellite::effect::restore_parameters;

std::atomic<int> ioChangedCalls{0};

VstIntPtr VSTCALLBACK countingHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterIOChanged) ioChangedCalls.fetch_add(1);
    return opcode == audioMasterVersion ? 2400 : 0;
}

struct RestoreInstance : PluginInstance {
    RestoreInstance() : PluginInstance(restorePluginLibrary(), countingHost) {}
};

std::string formatted(const ParameterInfo& p, double value) {
    char text[32];
    formatValue(p, value, text, sizeof(text));
    return text;
}

// Music-like stereo material with clicks: the restorer has work to do.
StereoSignal clickedMusic(std::size_t frames) {
    return withClicks(cleanSignal(frames, 0.7), clickFrames(frames, 4100), 0.5f);
}

// The delay the audio really has: the shift d for which out[i] == in[i - d]
// holds on most frames (repairs change a few), with silence before it.
long measuredDelay(const std::vector<float>& in, const std::vector<float>& out) {
    for (std::size_t d = 0; d + 1000 < out.size(); ++d) {
        if (out[d] == 0.0f) continue;
        std::size_t equal = 0, compared = 0;
        for (std::size_t i = d; i < out.size(); ++i, ++compared) equal += out[i] == in[i - d];
        return equal * 100 >= compared * 99 ? static_cast<long>(d) : -1;
    }
    return -1;
}

void expectAnnouncedDelayIsExact(RestoreInstance& effect, const char* when) {
    SCOPED_TRACE(when);
    const StereoSignal in = clickedMusic(40000);
    std::vector<float> outLeft, outRight;
    effect.run(in.left, in.right, {512}, outLeft, outRight);
    EXPECT_EQ(measuredDelay(in.left, outLeft), effect.record()->initialDelay);
    EXPECT_EQ(measuredDelay(in.right, outRight), effect.record()->initialDelay);
}

}  // namespace

TEST(RestorePlugin, RecordAndNamesIdentifyTheRestoreEffect) {
    RestoreInstance effect;
    PluginInstance classic;
    const AEffect* record = effect.record();
    EXPECT_EQ(record->magic, kEffectMagic);
    EXPECT_EQ(record->uniqueID, 0x536E5273);  // 'SnRs'
    EXPECT_NE(record->uniqueID, classic.record()->uniqueID);
    EXPECT_EQ(record->numInputs, 2);
    EXPECT_EQ(record->numOutputs, 2);
    EXPECT_EQ(record->numPrograms, 1);
    EXPECT_EQ(record->numParams, announcedCount(table::kTable));
    EXPECT_TRUE(record->flags & effFlagsCanReplacing);
    EXPECT_EQ(effect.text(effGetEffectName), "Sarnovellite Restore");
    EXPECT_EQ(effect.text(effGetVendorString), "Thessmoore");
    EXPECT_EQ(effect.text(effGetProductString), "Sarnovellite Restore");
    EXPECT_EQ(effect.dispatch(effGetPlugCategory), kPlugCategEffect);
}

// Names, units, defaults, both ends of every range and every named step, as
// the table gives them, read back through the record.
TEST(RestorePlugin, ParameterTextsAndRangesAreTheTables) {
    RestoreInstance effect;
    for (const ParameterInfo& p : table::kTable) {
        SCOPED_TRACE(std::string(p.name));
        EXPECT_EQ(effect.text(effGetParamName, p.index), p.name);
        EXPECT_EQ(effect.text(effGetParamLabel, p.index), p.label);
        EXPECT_EQ(effect.getParameter(p.index), p.defaultNormalised);
        EXPECT_EQ(effect.text(effGetParamDisplay, p.index),
                  formatted(p, mappedValue(p, p.defaultNormalised)));
        for (double shown : {shownMinimum(p), shownMaximum(p)}) {
            effect.setParameter(p.index, normalisedFor(p, shown));
            EXPECT_EQ(effect.text(effGetParamDisplay, p.index), formatted(p, shown - p.shownOffset));
        }
        for (const ScalePoint& step : p.scalePoints) {
            effect.setParameter(p.index, normalisedFor(p, step.shown));
            EXPECT_EQ(effect.text(effGetParamDisplay, p.index), step.label);
        }
        effect.setParameter(p.index, 7.0f);  // out of range: pulled in to the top
        EXPECT_EQ(effect.getParameter(p.index), 1.0f);
    }
    EXPECT_EQ(effect.text(effGetParamDisplay, 0), "30.0");
    EXPECT_EQ(effect.text(effGetParamLabel, 1), "ms");
    EXPECT_EQ(effect.text(effGetParamDisplay, table::kOutput), "Removed");
    EXPECT_EQ(effect.text(effGetParamName, 5), "");
    EXPECT_EQ(effect.text(effGetParamDisplay, 5), "");
    // A two-step parameter follows a generic slider: off below the middle of
    // the host's range, on above it, not only at its right end.
    for (std::int32_t index : {table::kCrackle, table::kThump}) {
        effect.setParameter(index, 0.45f);
        EXPECT_EQ(effect.text(effGetParamDisplay, index), "Off");
        effect.setParameter(index, 0.55f);
        EXPECT_EQ(effect.text(effGetParamDisplay, index), "On");
    }
    effect.setParameter(table::kOutput, 0.6f);
    EXPECT_EQ(effect.text(effGetParamDisplay, table::kOutput), "Removed");
}

TEST(RestorePlugin, AnnouncedLatencyIsExactAfterResumeAndRateChanges) {
    RestoreInstance effect;
    EXPECT_GT(effect.record()->initialDelay, 0);
    effect.dispatch(effMainsChanged, 0, 1);
    expectAnnouncedDelayIsExact(effect, "fresh, at 44.1 kHz");
    const VstInt32 at44 = effect.record()->initialDelay;

    effect.dispatch(effMainsChanged, 0, 0);
    effect.dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(effect.record()->initialDelay, at44);
    expectAnnouncedDelayIsExact(effect, "after suspend and resume in the middle of a stream");

    const int callsBefore = ioChangedCalls.load();
    effect.dispatch(effMainsChanged, 0, 0);
    effect.dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    effect.dispatch(effMainsChanged, 0, 1);
    EXPECT_NEAR(effect.record()->initialDelay, at44 * 96000.0 / 44100.0, 2.0) << "the same time at 96 kHz";
    EXPECT_EQ(ioChangedCalls.load(), callsBefore + 1) << "the host is told the delay changed";
    expectAnnouncedDelayIsExact(effect, "at 96 kHz");

    effect.dispatch(effMainsChanged, 0, 0);
    effect.dispatch(effSetSampleRate, 0, 0, nullptr, 0.0f);  // no rate: the engine stays
    effect.dispatch(effMainsChanged, 0, 1);
    expectAnnouncedDelayIsExact(effect, "after a rate of 0");
}

// Output "Removed" is what "Restored" took out; both come out bit-identical
// however the host cuts the stream.
TEST(RestorePlugin, BlockSizeDoesNotChangeEitherOutput) {
    const StereoSignal in = clickedMusic(30000);
    std::vector<float> firstLeft[2], firstRight[2];
    for (int output = 0; output < 2; ++output) {
        SCOPED_TRACE(output ? "removed" : "restored");
        for (const std::vector<int>& lengths :
             {std::vector<int>{4096}, std::vector<int>{1}, std::vector<int>{333}, std::vector<int>{512},
              randomLengths(3, 50, 0, 5000)}) {
            RestoreInstance effect;
            effect.setParameter(table::kOutput, static_cast<float>(output));
            std::vector<float> left, right;
            effect.run(in.left, in.right, lengths, left, right);
            if (firstLeft[output].empty()) {
                firstLeft[output] = left;
                firstRight[output] = right;
                continue;
            }
            ASSERT_EQ(left, firstLeft[output]) << "first call length " << lengths[0];
            ASSERT_EQ(right, firstRight[output]) << "first call length " << lengths[0];
        }
    }
    RestoreInstance effect;
    const std::size_t delay = static_cast<std::size_t>(effect.record()->initialDelay);
    double largestRemoved = 0.0;
    for (std::size_t i = delay; i < in.left.size(); ++i) {
        ASSERT_NEAR(firstLeft[0][i] + firstLeft[1][i], in.left[i - delay], 1e-6) << "frame " << i;
        ASSERT_NEAR(firstRight[0][i] + firstRight[1][i], in.right[i - delay], 1e-6) << "frame " << i;
        largestRemoved = std::max(largestRemoved, double(std::fabs(firstLeft[1][i])));
    }
    EXPECT_GT(largestRemoved, 0.2) << "the 0.5 clicks are what was removed";
}

TEST(RestorePlugin, NonFiniteInputStaysWhereItIs) {
    StereoSignal in = clickedMusic(30000);
    const std::vector<std::size_t> bad = {5000, 5001, 12000, 20000};
    in.left[bad[0]] = std::nanf("");
    in.left[bad[1]] = INFINITY;
    in.right[bad[2]] = -INFINITY;
    in.right[bad[3]] = std::nanf("");
    RestoreInstance effect;
    const std::size_t delay = static_cast<std::size_t>(effect.record()->initialDelay);
    std::vector<float> left, right;
    effect.run(in.left, in.right, {512}, left, right);
    for (std::size_t i = 0; i < left.size(); ++i) {
        const bool leftBad = i >= delay && !std::isfinite(in.left[i - delay]);
        const bool rightBad = i >= delay && !std::isfinite(in.right[i - delay]);
        ASSERT_EQ(!std::isfinite(left[i]), leftBad) << "frame " << i;
        ASSERT_EQ(!std::isfinite(right[i]), rightBad) << "frame " << i;
    }
    // Far from the bad samples the output is the same as without them.
    StereoSignal clean = clickedMusic(30000);
    RestoreInstance reference;
    std::vector<float> cleanLeft, cleanRight;
    reference.run(clean.left, clean.right, {512}, cleanLeft, cleanRight);
    for (std::size_t i = delay + 25000; i < left.size(); ++i)
        ASSERT_EQ(left[i], cleanLeft[i]) << "frame " << i;
}
