// Synthetic damage with an exact mask: every event says which samples of which
// channel it changed. An event on both channels is two events, one per channel.
//
// Amplitudes are absolute (a record's clicks do not follow the music's level)
// and heavy-tailed: many small, a few near full scale; a good part of the crackle
// lies below the music's peaks. Events on a channel never overlap and stay at
// least 12 samples apart, so the +-4-sample scoring windows hold one event
// each; the one exception is a thump, which starts where its scratch or click
// ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "bench/quality/audio.h"

enum class DamageKind { Impulse, Click, Crackle, Scratch, Thump };
constexpr int kDamageKinds = 5;
const char* damageName(DamageKind kind);

struct DamageEvent {
    DamageKind kind;
    int channel;
    std::size_t start, length;  // frames [start, start + length)
};

struct Damaged {
    Audio audio;
    std::vector<DamageEvent> events;  // sorted by start
};

// Per second of material, times `density`: 2 single-sample impulses, 2 damped
// ringing clicks of 0.1-2 ms, 0.5 scratches of 3-20 ms (the larger ones, and
// the largest clicks, followed by a decaying 20-100 Hz thump of 30-80 ms),
// and 0.25 bursts of crackle (0.3-2 s of 2-8-sample crackles at 20-200 a
// second). About a third of the events hit both channels.
Damaged damage(const Audio& clean, std::uint64_t seed, double density);
