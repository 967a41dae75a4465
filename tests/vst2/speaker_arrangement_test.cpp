#include <gtest/gtest.h>

#include <cstring>

#include "tests/vst2/probe_effect.h"

namespace {

void fillSpeaker(VstSpeakerProperties& speaker, int seed) {
    speaker.azimuth = 0.25f * seed;
    speaker.elevation = -0.5f * seed;
    speaker.radius = 1.0f + seed;
    speaker.reserved = 3.0f * seed;
    std::snprintf(speaker.name, sizeof(speaker.name), "speaker %d", seed);
    speaker.type = 100 + seed;
    for (int i = 0; i < 28; ++i) speaker.future[i] = static_cast<char>(seed + i);
}

void expectSameSpeaker(const VstSpeakerProperties& a, const VstSpeakerProperties& b) {
    EXPECT_EQ(a.azimuth, b.azimuth);
    EXPECT_EQ(a.elevation, b.elevation);
    EXPECT_EQ(a.radius, b.radius);
    EXPECT_EQ(a.reserved, b.reserved);
    EXPECT_STREQ(a.name, b.name);
    EXPECT_EQ(a.type, b.type);
    EXPECT_EQ(std::memcmp(a.future, b.future, 28), 0);
}

}  // namespace

TEST(SpeakerArrangement, AllocateGivesZeroedArrangementOfTheCount) {
    ProbeEffect effect(nullptr);
    VstSpeakerArrangement* arrangement = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&arrangement, 12));
    ASSERT_NE(arrangement, nullptr);
    EXPECT_EQ(arrangement->numChannels, 12);
    EXPECT_EQ(arrangement->type, 0);
    const auto* bytes = reinterpret_cast<const unsigned char*>(arrangement->speakers);
    for (std::size_t i = 0; i < 12 * sizeof(VstSpeakerProperties); ++i) ASSERT_EQ(bytes[i], 0);
    // A second allocation replaces (and frees) the first.
    ASSERT_TRUE(effect.allocateArrangement(&arrangement, 1));
    EXPECT_EQ(arrangement->numChannels, 1);
    EXPECT_TRUE(effect.deallocateArrangement(&arrangement));
    EXPECT_EQ(arrangement, nullptr);
    EXPECT_TRUE(effect.deallocateArrangement(&arrangement));
}

TEST(SpeakerArrangement, NegativeChannelCountFailsWithNull) {
    ProbeEffect effect(nullptr);
    VstSpeakerArrangement* arrangement = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&arrangement, 2));
    EXPECT_FALSE(effect.allocateArrangement(&arrangement, -1));
    EXPECT_EQ(arrangement, nullptr);
}

TEST(SpeakerArrangement, CopySpeakerCopiesEveryFieldAndBoundsTheName) {
    ProbeEffect effect(nullptr);
    VstSpeakerProperties from{};
    VstSpeakerProperties to{};
    fillSpeaker(from, 5);
    EXPECT_TRUE(effect.copySpeaker(&to, &from));
    expectSameSpeaker(to, from);
    EXPECT_FALSE(effect.copySpeaker(nullptr, &from));
    EXPECT_FALSE(effect.copySpeaker(&to, nullptr));

    std::memset(from.name, 'n', sizeof(from.name));  // no terminator at all
    EXPECT_TRUE(effect.copySpeaker(&to, &from));
    EXPECT_EQ(std::strlen(to.name), 63u);
    EXPECT_EQ(to.name[62], 'n');
}

TEST(SpeakerArrangement, MatchReproducesTheSource) {
    ProbeEffect effect(nullptr);
    VstSpeakerArrangement* source = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&source, 10));
    source->type = 42;
    VstSpeakerProperties* speakers = source->speakers;
    for (int i = 0; i < 10; ++i) fillSpeaker(speakers[i], i);

    VstSpeakerArrangement* target = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&target, 3));
    ASSERT_TRUE(effect.matchArrangement(&target, source));
    EXPECT_EQ(target->type, 42);
    EXPECT_EQ(target->numChannels, 10);
    VstSpeakerProperties* copied = target->speakers;
    for (int i = 0; i < 10; ++i) expectSameSpeaker(copied[i], speakers[i]);
    EXPECT_FALSE(effect.matchArrangement(&target, nullptr));

    effect.deallocateArrangement(&target);
    effect.deallocateArrangement(&source);
}
