#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "vst2/value_format.h"
#include "tests/vst2/probe_effect.h"

namespace {

std::string formatFloat(float value) {
    char text[32];
    std::memset(text, 'X', sizeof(text));
    formatFloat8(value, text);
    return text;
}

std::string formatLong(std::int32_t value) {
    char text[32];
    std::memset(text, 'X', sizeof(text));
    formatLong8(value, text);
    return text;
}

// Independent reference: exact decimal expansion of a dyadic double (the
// value k / 1024 has at most ten fraction digits), truncated to fit eight
// characters. Only used for values whose integer part fits with its point.
std::string truncatedReference(double value) {
    char wide[64];
    std::snprintf(wide, sizeof(wide), "%.12f", value);
    std::string text(wide);
    if (text.size() > 8) text.resize(8);
    return text;
}

}  // namespace

TEST(FormatFloat8, ExamplesHold) {
    EXPECT_EQ(formatFloat(0.0f), "0.000000");
    EXPECT_EQ(formatFloat(1.5f), "1.500000");
    EXPECT_EQ(formatFloat(-1.5f), "-1.50000");
    EXPECT_EQ(formatFloat(-0.25f), "-0.25000");
    EXPECT_EQ(formatFloat(123.456f), "123.4560");
    EXPECT_EQ(formatFloat(44100.0f), "44100.00");
    EXPECT_EQ(formatFloat(1234567.0f), "1234567.");
    EXPECT_EQ(formatFloat(0.001f), "0.001000");
    EXPECT_EQ(formatFloat(1.0e8f), "Huge!");
    EXPECT_EQ(formatFloat(-1.0e7f), "Huge!");
}

TEST(FormatFloat8, FullWidthIntegerPartKeepsEveryDigit) {
    EXPECT_EQ(formatFloat(12345678.0f), "12345678");
    EXPECT_EQ(formatFloat(99999992.0f), "99999992");  // largest float not above 99999999
    EXPECT_EQ(formatFloat(-1234567.0f), "-1234567");
    EXPECT_EQ(formatFloat(-9999999.0f), "-9999999");
    EXPECT_EQ(formatFloat(-123456.5f), "-123456.");
}

TEST(FormatFloat8, NonFiniteValuesAreDefinedTexts) {
    EXPECT_EQ(formatFloat(INFINITY), "Huge!");
    EXPECT_EQ(formatFloat(-INFINITY), "Huge!");
    EXPECT_EQ(formatFloat(NAN), "NaN");
}

TEST(FormatFloat8, IntegersShowAllDigitsAgainstPrintf) {
    std::mt19937 random(7);
    for (int trial = 0; trial < 20000; ++trial) {
        const int digits = 1 + trial % 8;
        const double top = std::pow(10.0, digits) - 1.0;
        const auto integer =
            static_cast<std::int64_t>(std::uniform_real_distribution<double>(0.0, top)(random));
        const bool negative = (trial & 1) && digits < 8 && integer != 0;
        const double value = negative ? -static_cast<double>(integer) : static_cast<double>(integer);
        if (static_cast<double>(static_cast<float>(value)) != value) continue;  // only exactly representable
        char digitsText[32];
        std::snprintf(digitsText, sizeof(digitsText), "%.0f", value);
        const std::string text = formatFloat(static_cast<float>(value));
        ASSERT_LE(text.size(), 8u);
        ASSERT_EQ(text.substr(0, std::strlen(digitsText)), digitsText) << value;
    }
}

TEST(FormatFloat8, FractionsAreTruncatedAgainstExactDecimal) {
    std::mt19937 random(11);
    for (int trial = 0; trial < 20000; ++trial) {
        const int integer = std::uniform_int_distribution<int>(0, 99999)(random);
        const int fraction = std::uniform_int_distribution<int>(0, 1023)(random);
        const double magnitude = integer + fraction / 1024.0;
        const double value = (trial & 1) ? -magnitude : magnitude;
        if (static_cast<double>(static_cast<float>(value)) != value) continue;
        ASSERT_EQ(formatFloat(static_cast<float>(value)), truncatedReference(value)) << value;
    }
}

TEST(FormatLong8, ExamplesAndPrintfReference) {
    EXPECT_EQ(formatLong(42), "     42");
    EXPECT_EQ(formatLong(99999999), "99999999");
    EXPECT_EQ(formatLong(100000000), "Huge!");
    EXPECT_EQ(formatLong(-123456789), "-1234567");
    std::mt19937 random(3);
    for (int trial = 0; trial < 5000; ++trial) {
        const std::int32_t value = std::uniform_int_distribution<std::int32_t>(-99999, 99999999)(random);
        char reference[32];
        std::snprintf(reference, sizeof(reference), "%7d", value);
        ASSERT_EQ(formatLong(value), reference);
    }
}

namespace {

// Sees the value the unit texts hand to float2string and answers with its own
// sample rate, so both must be reached as virtual operations.
struct UnitTextEffect : ProbeEffect {
    using ProbeEffect::ProbeEffect;
    float rate = 44100.0f;
    std::vector<float> formatted;
    float getSampleRate() override { return rate; }
    void float2string(float value, char* text) override {
        formatted.push_back(value);
        ProbeEffect::float2string(value, text);
    }
};

std::string textOf(void (AudioEffect::*operation)(float, char*), AudioEffect& effect, float value) {
    char text[32];
    std::memset(text, 'X', sizeof(text));
    (effect.*operation)(value, text);
    return text;
}

}  // namespace

TEST(UnitTexts, ExamplesHold) {
    UnitTextEffect effect(nullptr);
    EXPECT_EQ(textOf(&AudioEffect::dB2string, effect, 1.0f), "0.000000");
    EXPECT_EQ(textOf(&AudioEffect::dB2string, effect, 0.5f), "-6.02059");
    EXPECT_EQ(textOf(&AudioEffect::dB2string, effect, 0.0f), "-oo");
    EXPECT_EQ(textOf(&AudioEffect::dB2string, effect, -1.0f), "-oo");
    EXPECT_EQ(textOf(&AudioEffect::Hz2string, effect, 0.0f), "0.000000");
    EXPECT_EQ(textOf(&AudioEffect::Hz2string, effect, 441.0f), "100.0000");
    EXPECT_EQ(textOf(&AudioEffect::ms2string, effect, 44100.0f), "1000.000");
}

// Over random inputs and rates, each unit text formats exactly the float the
// conversion gives in the stated precision, through the virtual operations.
TEST(UnitTexts, FormatTheConvertedValueThroughTheVirtualOperations) {
    std::mt19937 random(5);
    for (int trial = 0; trial < 2000; ++trial) {
        UnitTextEffect effect(nullptr);
        effect.rate = std::uniform_real_distribution<float>(8000.0f, 192000.0f)(random);
        const float amplitude = std::uniform_real_distribution<float>(1e-6f, 1e4f)(random);
        const float samples = std::uniform_real_distribution<float>(1.0f, 1e6f)(random);
        textOf(&AudioEffect::dB2string, effect, amplitude);
        textOf(&AudioEffect::Hz2string, effect, samples);
        textOf(&AudioEffect::ms2string, effect, samples);
        ASSERT_EQ(effect.formatted.size(), 3u);
        EXPECT_EQ(effect.formatted[0], static_cast<float>(20.0 * std::log10(static_cast<double>(amplitude))));
        EXPECT_EQ(effect.formatted[1], effect.rate / samples);
        EXPECT_EQ(effect.formatted[2], static_cast<float>(static_cast<double>(samples) * 1000.0 /
                                                          static_cast<double>(effect.rate)));
    }
    UnitTextEffect effect(nullptr);
    textOf(&AudioEffect::dB2string, effect, 0.0f);
    textOf(&AudioEffect::dB2string, effect, -3.0f);
    EXPECT_TRUE(effect.formatted.empty()) << "\"-oo\" is written without formatting a number";
    textOf(&AudioEffect::Hz2string, effect, 0.0f);
    ASSERT_EQ(effect.formatted.size(), 1u);
    EXPECT_EQ(effect.formatted[0], 0.0f);
}

TEST(UnitTexts, LongAndFloatOperationsWriteTheFormattedTexts) {
    ProbeEffect effect(nullptr);
    char text[32];
    effect.long2string(42, text);
    EXPECT_STREQ(text, "     42");
    effect.float2string(-0.25f, text);
    EXPECT_STREQ(text, "-0.25000");
}
