#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "host/value_format.h"

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
        const auto integer = static_cast<std::int64_t>(std::uniform_real_distribution<double>(0.0, top)(random));
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
