// The parameter table against the plug-in that is built from it, driven
// through the record as a host would: what the command-line host, the LV2
// description and the tests derive from the table must be what the VST 2
// plug-in answers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "effect/parameters/sarnovellite_parameters.h"
#include "tests/plugin/plugin_instance.h"

namespace {

using namespace sarnovellite::effect;
namespace table = sarnovellite::effect::sarnovellite_parameters;

std::string formatted(const ParameterInfo& p, double value) {
    char text[32];
    formatValue(p, value, text, sizeof(text));
    return text;
}

TEST(PluginParameterTable, FreshInstanceShowsTheTablesNamesDefaultsAndAnnouncedCount) {
    PluginInstance effect;
    EXPECT_EQ(effect.record()->numParams, announcedCount(table::kTable));
    for (const ParameterInfo& p : table::kTable) {
        SCOPED_TRACE(std::string(p.name));
        EXPECT_EQ(effect.text(effGetParamName, p.index), p.name);
        EXPECT_EQ(effect.text(effGetParamLabel, p.index), p.label);
        EXPECT_EQ(effect.getParameter(p.index), p.defaultNormalised);
        EXPECT_EQ(effect.text(effGetParamDisplay, p.index),
                  formatted(p, mappedValue(p, p.defaultNormalised)));
    }
    // Indices outside the table: the unlisted name, no text, the spare value.
    for (VstInt32 index : {1, 4, -1}) {
        ASSERT_EQ(findParameter(table::kTable, index), nullptr);
        EXPECT_EQ(effect.text(effGetParamName, index), table::kUnlistedName);
        EXPECT_EQ(effect.getParameter(index), table::kSpareInfo.defaultNormalised);
    }
}

// Every shown step of every stepped parameter: normalisedFor lands on it, the
// plug-in shows it, and the shown range is exactly the steps it can reach.
TEST(PluginParameterTable, EveryStepSentAsTheTableSaysIsShownAsThatStep) {
    PluginInstance effect;
    for (const ParameterInfo& p : table::kTable) {
        if (!isStepped(p) || p.scale == 0.0) continue;
        SCOPED_TRACE(std::string(p.name));
        const double low = shownMinimum(p), high = shownMaximum(p);
        EXPECT_EQ(shownValue(p, std::nextafter(1.0f, 0.0f)), high - 1) << "only v = 1 reaches the top";
        for (double shown = low; shown <= high; ++shown) {
            const float v = normalisedFor(p, shown);
            ASSERT_GE(v, 0.0f);
            ASSERT_LE(v, 1.0f);
            effect.setParameter(p.index, v);
            EXPECT_EQ(effect.getParameter(p.index), v);
            char expected[32];
            std::snprintf(expected, sizeof(expected), "%lld", static_cast<long long>(shown));
            EXPECT_EQ(effect.text(effGetParamDisplay, p.index), expected) << "shown " << shown;
        }
    }
}

// A spare value is stored and read back but always shown as its one step.
TEST(PluginParameterTable, TheSpareValueIsStoredAndShownAsZero) {
    PluginInstance effect;
    for (float v : {0.0f, 0.3f, 1.0f, -7.5f, INFINITY, NAN}) {
        effect.setParameter(table::kSpare, v);
        const float back = effect.getParameter(table::kSpare);
        EXPECT_TRUE(back == v || (std::isnan(back) && std::isnan(v))) << v;
        EXPECT_EQ(effect.text(effGetParamDisplay, table::kSpare), formatted(table::kSpareInfo, 0.0)) << v;
        EXPECT_EQ(effect.text(effGetParamDisplay, table::kSpare), "0") << v;
    }
}

}  // namespace
