#include "demo/demo_material.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// splitmix64: tiny, and its sequence is fixed by its definition alone.
class DemoRandom {
public:
    explicit DemoRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform(double low, double high) {
        return low + (high - low) * (static_cast<double>(next() >> 11) * 0x1.0p-53);
    }
    std::int64_t integer(std::int64_t low, std::int64_t high) {  // inclusive
        return low + static_cast<std::int64_t>(next() % static_cast<std::uint64_t>(high - low + 1));
    }
    double sign() { return (next() & 1) ? 1.0 : -1.0; }

private:
    std::uint64_t state_;
};

double midiToHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// Attack-decay-sustain-release amplitude at time t of a note lasting `length` seconds.
double envelope(double t, double length) {
    constexpr double attack = 0.02, decay = 0.25, sustain = 0.55, release = 0.12;
    if (t < 0.0 || t > length + release) return 0.0;
    if (t < attack) return t / attack;
    if (t < attack + decay) return 1.0 - (1.0 - sustain) * (t - attack) / decay;
    if (t <= length) return sustain;
    return sustain * (1.0 - (t - length) / release);
}

void addChords(std::vector<float>& out, std::int64_t frames) {
    // C major, A minor, F major, G major: bass note then three chord tones.
    const int chords[4][4] = {{36, 60, 64, 67}, {33, 57, 60, 64}, {29, 57, 60, 65}, {31, 59, 62, 67}};
    const double chordLength = 2.5;
    const int rate = DemoMaterial::kSampleRate;
    for (int c = 0; c < 4; ++c) {
        const std::int64_t begin = static_cast<std::int64_t>(c * chordLength * rate);
        const std::int64_t end =
            std::min(frames, static_cast<std::int64_t>(((c + 1) * chordLength + 0.12) * rate));
        for (int n = 0; n < 4; ++n) {
            const double f0 = midiToHz(chords[c][n]);
            const double pan = 0.2 + 0.2 * n;  // spread the voices across the stereo field
            const double loudness = n == 0 ? 0.16 : 0.09;
            for (std::int64_t i = begin; i < end; ++i) {
                const double t = static_cast<double>(i - begin) / rate;
                double v = 0.0;
                for (int h = 1; h <= 6; ++h) {
                    if (f0 * h > rate * 0.45) break;
                    v += std::sin(kTwoPi * f0 * h * t + 0.3 * h) / (h * (1.0 + 0.15 * h * t));
                }
                v *= loudness * envelope(t, chordLength - 0.05);
                out[static_cast<std::size_t>(2 * i)] += static_cast<float>(v * (1.0 - pan));
                out[static_cast<std::size_t>(2 * i + 1)] += static_cast<float>(v * pan);
            }
        }
    }
}

// Kick, snare and hi-hat at 120 beats per minute from 5 s to 8 s: broadband,
// transient-rich material a click detector must leave alone.
void addPercussion(std::vector<float>& out, std::int64_t frames, DemoRandom& random) {
    const int rate = DemoMaterial::kSampleRate;
    const double start = 5.0, stop = 8.0, eighth = 0.25;
    for (int step = 0; start + step * eighth < stop; ++step) {
        const std::int64_t at = static_cast<std::int64_t>((start + step * eighth) * rate);
        const bool kick = step % 4 == 0, snare = step % 4 == 2;
        const std::int64_t length = static_cast<std::int64_t>(0.2 * rate);
        for (std::int64_t k = 0; k < length && at + k < frames; ++k) {
            const double t = static_cast<double>(k) / rate;
            const double noise = random.uniform(-1.0, 1.0);
            double left = 0.04 * noise * std::exp(-t / 0.02);  // hi-hat
            double right = left;
            if (kick) {
                const double v = 0.3 *
                                 std::sin(kTwoPi * (50.0 * t + 40.0 * (1.0 - std::exp(-t / 0.03)) * 0.03)) *
                                 std::exp(-t / 0.08);
                left += v;
                right += v;
            }
            if (snare) {
                const double v = 0.12 * noise * std::exp(-t / 0.05) +
                                 0.08 * std::sin(kTwoPi * 190.0 * t) * std::exp(-t / 0.04);
                left += 0.8 * v;
                right += v;
            }
            out[static_cast<std::size_t>(2 * (at + k))] += static_cast<float>(left);
            out[static_cast<std::size_t>(2 * (at + k) + 1)] += static_cast<float>(right);
        }
    }
}

class Damager {
public:
    Damager(DemoMaterial& material, DemoRandom& random) : m_(material), random_(random) {}

    // Adds `shape(k)` for k in [0, length) at `at`, on one channel or both.
    // (Callers draw their random numbers in separate statements: the order in
    // which function arguments are evaluated is unspecified.)
    template <typename Shape>
    void add(DamageKind kind, std::int64_t at, std::int64_t length, bool bothChannels, int channel,
             Shape shape) {
        length = std::min(length, m_.frames() - at);
        if (length <= 0) return;
        for (int c = 0; c < DemoMaterial::kChannels; ++c) {
            if (!bothChannels && c != channel) continue;
            const double gain = bothChannels && c != channel ? random_.uniform(0.6, 1.0) : 1.0;
            for (std::int64_t k = 0; k < length; ++k) {
                m_.damaged[static_cast<std::size_t>(2 * (at + k) + c)] += static_cast<float>(gain * shape(k));
            }
            m_.spans.push_back({kind, c, at, at + length});
        }
        ++m_.clicksAdded;
        ++m_.eventsOfKind[static_cast<int>(kind)];
    }

    std::int64_t position(double fromSeconds, double toSeconds) {
        return random_.integer(static_cast<std::int64_t>(fromSeconds * DemoMaterial::kSampleRate),
                               static_cast<std::int64_t>(toSeconds * DemoMaterial::kSampleRate));
    }

private:
    DemoMaterial& m_;
    DemoRandom& random_;
};

void addDamage(DemoMaterial& m, DemoRandom& random) {
    Damager damage(m, random);
    const double rate = DemoMaterial::kSampleRate;
    const double end = static_cast<double>(m.frames()) / rate - 0.05;

    for (int i = 0; i < 40; ++i) {  // single-sample impulses
        const double amplitude = random.sign() * random.uniform(0.25, 0.8);
        const std::int64_t at = damage.position(0.1, end);
        const bool both = (random.next() & 1) != 0;
        const int channel = static_cast<int>(random.next() & 1);
        damage.add(DamageKind::impulse, at, 1, both, channel, [=](std::int64_t) { return amplitude; });
    }
    for (int i = 0; i < 30; ++i) {  // damped clicks, 0.1 to 2 ms
        const std::int64_t length =
            random.integer(static_cast<std::int64_t>(0.0001 * rate), static_cast<std::int64_t>(0.002 * rate));
        const double amplitude = random.sign() * random.uniform(0.2, 0.7);
        const double hz = random.uniform(2000.0, 8000.0);
        const double decay = length / 3.0;
        const std::int64_t at = damage.position(0.1, end);
        const bool both = (random.next() & 1) != 0;
        const int channel = static_cast<int>(random.next() & 1);
        damage.add(DamageKind::dampedClick, at, length, both, channel, [=](std::int64_t k) {
            return amplitude * std::exp(-k / decay) * std::cos(kTwoPi * hz * k / rate);
        });
    }
    for (int i = 0; i < 150; ++i) {  // a burst of dense crackle between 2.6 s and 3.4 s
        const std::int64_t length = random.integer(1, 6);
        const double amplitude = random.sign() * random.uniform(0.05, 0.25);
        const std::int64_t at = damage.position(2.6, 3.4);
        const bool both = (random.next() & 1) != 0;
        const int channel = static_cast<int>(random.next() & 1);
        damage.add(DamageKind::crackle, at, length, both, channel,
                   [=](std::int64_t k) { return amplitude * std::exp(-k / 1.5); });
    }
    for (int i = 0; i < 3; ++i) {  // scratches: a sharp edge, then a ringing low thump, 5 to 15 ms
        const std::int64_t length =
            random.integer(static_cast<std::int64_t>(0.005 * rate), static_cast<std::int64_t>(0.015 * rate));
        const double amplitude = random.sign() * random.uniform(0.4, 0.8);
        const double hz = random.uniform(300.0, 900.0);
        const std::int64_t at = damage.position(0.5, end);
        damage.add(DamageKind::scratch, at, length, true, 0, [=](std::int64_t k) {
            const double t = static_cast<double>(k) / length;
            return amplitude * std::exp(-4.0 * t) * (k == 0 ? 1.0 : std::sin(kTwoPi * hz * k / rate + 1.2));
        });
    }
}

}  // namespace

const char* damageKindName(DamageKind kind) {
    switch (kind) {
        case DamageKind::impulse:
            return "single-sample impulses";
        case DamageKind::dampedClick:
            return "damped clicks 0.1-2 ms";
        case DamageKind::crackle:
            return "dense crackle";
        case DamageKind::scratch:
            return "scratches 5-15 ms";
    }
    return "";
}

DemoMaterial makeDemoMaterial() {
    DemoMaterial m;
    const std::int64_t frames = 10 * DemoMaterial::kSampleRate;
    m.clean.assign(static_cast<std::size_t>(frames * DemoMaterial::kChannels), 0.0f);
    DemoRandom random(0x5A4E0BE11173ull);
    addChords(m.clean, frames);
    addPercussion(m.clean, frames, random);
    m.damaged = m.clean;
    addDamage(m, random);
    return m;
}
