// The demo's test material: ten seconds of synthesised stereo music and a copy
// damaged like a worn record, reproducibly (fixed seed, own generator, so the
// same samples come out on every platform and standard library).
//
// Samples are interleaved stereo floats at 44.1 kHz, peaks well below full scale.
#pragma once

#include <cstdint>
#include <vector>

enum class DamageKind { impulse, dampedClick, crackle, scratch };
constexpr int kDamageKinds = 4;
const char* damageKindName(DamageKind kind);

struct DamageSpan {
    DamageKind kind;
    int channel;
    std::int64_t start;
    std::int64_t end;  // exclusive
};

struct DemoMaterial {
    static constexpr int kSampleRate = 44100;
    static constexpr int kChannels = 2;
    std::vector<float> clean;
    std::vector<float> damaged;
    std::vector<DamageSpan> spans;  // every sample the damage touched, per channel
    int clicksAdded = 0;            // damage events: impulses, clicks, crackle ticks, scratches
    int eventsOfKind[kDamageKinds] = {};
    std::int64_t frames() const { return static_cast<std::int64_t>(clean.size()) / kChannels; }
};

DemoMaterial makeDemoMaterial();
