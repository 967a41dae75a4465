#include "bench/quality/voices.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace {
constexpr double kTwoPi = 6.283185307179586;

// Two-pole resonator with unity peak gain at `hz`, bandwidth `bw` Hz.
struct Resonator {
    double a1 = 0, a2 = 0, b0 = 0, y1 = 0, y2 = 0;
    Resonator(double hz, double bw, int rate) {
        const double r = std::exp(-M_PI * bw / rate);
        a1 = 2 * r * std::cos(kTwoPi * std::min(hz, 0.45 * rate) / rate);
        a2 = -r * r;
        b0 = 1 - r;
    }
    double operator()(double x) {
        const double y = b0 * x + a1 * y1 + a2 * y2;
        y2 = y1;
        y1 = y;
        return y;
    }
};

std::size_t samples(double seconds, int rate) {
    return static_cast<std::size_t>(std::max(0.0, seconds) * rate);
}
double midiHz(double note) { return 440.0 * std::pow(2.0, (note - 69) / 12); }

// A decaying partial: amplitude * exp(-t / decay) * sin(2 pi f t + phase),
// summed into `out` by complex rotation (no sin per sample).
void addPartial(std::vector<double>& out, double hz, double amplitude, double decay, double phase, int rate) {
    const std::complex<double> step = std::polar(std::exp(-1.0 / (decay * rate)), kTwoPi * hz / rate);
    std::complex<double> z = std::polar(amplitude, phase);
    for (double& s : out) {
        s += z.imag();
        z *= step;
        if (std::norm(z) < 1e-12) break;
    }
}

void fadeOut(std::vector<double>& v, std::size_t length) {
    length = std::min(length, v.size());
    for (std::size_t i = 0; i < length; ++i)
        v[v.size() - length + i] *= 1.0 - static_cast<double>(i) / length;
}

// --- speech -----------------------------------------------------------------

std::vector<double> vowel(Random& r, int rate, double seconds, double f0) {
    std::vector<double> v(samples(seconds, rate));
    Resonator f1(r.uniform(300, 800), 80, rate), f2(r.uniform(900, 2300), 110, rate),
        f3(r.uniform(2400, 3200), 160, rate);
    double phase = 0, smooth = 0;
    const double glide = r.uniform(-0.25, 0.15), lowpass = std::exp(-kTwoPi * 6000.0 / rate);
    for (std::size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / v.size();
        phase += f0 * (1 + glide * t + 0.01 * r.gauss()) / rate;
        double excitation = 0;
        if (phase >= 1) {  // glottal closure: the sharp edge of each period
            phase -= 1;
            excitation = -1;
        }
        smooth = lowpass * smooth + (1 - lowpass) * excitation;
        const double env = std::min({1.0, t * seconds / 0.012, (1 - t) * seconds / 0.025});
        v[i] = env * (8 * f1(smooth) + 5 * f2(smooth) + 3 * f3(smooth));
    }
    return v;
}

std::vector<double> consonant(Random& r, int rate, bool plosive) {
    const double seconds = plosive ? r.uniform(0.005, 0.02) : r.uniform(0.05, 0.15);
    std::vector<double> v(samples(seconds, rate));
    Resonator colour(r.uniform(2500, 7000), r.uniform(1000, 3000), rate);
    double previous = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / v.size(), white = r.gauss();
        const double bright = white - previous;  // first difference: tilt up
        previous = white;
        const double env = plosive ? std::exp(-4 * t) : std::min({1.0, t * 8, (1 - t) * 5});
        v[i] = env * (plosive ? 0.5 * bright + 2 * colour(white) : 2.5 * colour(white));
    }
    return v;
}
}  // namespace

void Bus::place(const std::vector<double>& mono, std::size_t at, double pan, double gain) {
    const double angle = (std::clamp(pan, -1.0, 1.0) + 1) * M_PI / 4;
    const std::size_t delay = samples(0.0003 * std::fabs(pan), rate);
    const std::size_t leftAt = at + (pan > 0 ? delay : 0), rightAt = at + (pan < 0 ? delay : 0);
    for (std::size_t i = 0; i < mono.size(); ++i) {
        if (leftAt + i < frames()) left[leftAt + i] += gain * std::cos(angle) * mono[i];
        if (rightAt + i < frames()) right[rightAt + i] += gain * std::sin(angle) * mono[i];
    }
}

void speech(Bus& bus, Random& r) {
    const double f0 = r.uniform(95, 220), pan = r.uniform(-0.15, 0.15);
    std::size_t at = samples(0.1, bus.rate);
    while (at < bus.frames()) {
        for (int syllable = r.integer(1, 4); syllable > 0 && at < bus.frames(); --syllable) {
            if (r.chance(0.7)) {
                const bool plosive = r.chance(0.5);
                if (plosive) at += samples(r.uniform(0.02, 0.04), bus.rate);  // closure before the burst
                const auto c = consonant(r, bus.rate, plosive);
                bus.place(c, at, pan, r.uniform(0.3, 1.0));
                at += c.size();
            }
            const auto v = vowel(r, bus.rate, r.uniform(0.08, 0.22), f0 * r.uniform(0.85, 1.2));
            bus.place(v, at, pan, r.uniform(0.5, 1.0));
            at += v.size();
        }
        at += samples(r.uniform(0.08, 0.45), bus.rate);
    }
}

void piano(Bus& bus, Random& r) {
    std::size_t at = samples(0.05, bus.rate);
    while (at < bus.frames()) {
        const int notes = r.chance(0.3) ? r.integer(2, 4) : 1;
        const double root = r.integer(36, 84);
        for (int n = 0; n < notes; ++n) {
            const double note = root + n * r.integer(3, 7), velocity = r.uniform(0.25, 1.0);
            const double f0 = midiHz(note), inharmonicity = 1e-4 * std::pow(2.0, (note - 48) / 18);
            const double sustain = 3.0 * std::pow(2.0, -(note - 48) / 24);
            std::vector<double> v(samples(std::min(r.uniform(1.0, 4.0), 3 * sustain), bus.rate));
            const double nyquistish = std::min(12000.0, 0.45 * bus.rate);
            for (int k = 1; k <= 40; ++k) {
                const double f = k * f0 * std::sqrt(1 + inharmonicity * k * k);
                if (f > nyquistish) break;
                const double a = velocity * std::pow(k, -(1.1 + 0.9 * (1 - velocity)));
                addPartial(v, f, a, sustain / (1 + 0.25 * k), r.uniform(0, kTwoPi), bus.rate);
                if (k <= 6)
                    addPartial(v, f * 1.0007, 0.5 * a, sustain / (1 + 0.15 * k), r.uniform(0, kTwoPi),
                               bus.rate);
            }
            Resonator felt(r.uniform(1500, 4000), 3000, bus.rate);
            for (std::size_t i = 0; i < std::min(v.size(), samples(0.004, bus.rate)); ++i)
                v[i] +=
                    2.5 * velocity * felt(r.gauss()) * std::exp(-static_cast<double>(i) / (0.001 * bus.rate));
            fadeOut(v, samples(0.08, bus.rate));
            bus.place(v, at + samples(r.uniform(0, 0.015), bus.rate), (note - 60) / 40, 0.3);
        }
        at += samples(r.uniform(0.12, 0.7), bus.rate);
    }
}

void orchestra(Bus& bus, Random& r) {
    std::size_t at = 0;
    while (at < bus.frames()) {
        const double length = r.uniform(1.5, 3.0), root = r.integer(40, 55);
        const int chord[] = {0, 7, 12, 16, 19, 24};
        for (int voice = 0; voice < 6; ++voice) {
            const double note = root + chord[voice] + (r.chance(0.2) ? 1 : 0), pan = r.uniform(-0.8, 0.8);
            for (int player = 0; player < 3; ++player) {
                std::vector<double> v(samples(length + 0.4, bus.rate));
                const double f0 = midiHz(note) * std::pow(2.0, r.uniform(-10, 10) / 1200);
                const double rate = r.uniform(4.5, 6.5), depth = r.uniform(0.002, 0.006),
                             vphase = r.uniform(0, kTwoPi);
                const int partials = std::min(24, static_cast<int>(std::min(10000.0, 0.45 * bus.rate) / f0));
                const double attack = r.uniform(0.08, 0.3);
                std::complex<double> z = std::polar(1.0, r.uniform(0, kTwoPi));
                for (std::size_t i = 0; i < v.size(); ++i) {
                    const double t = static_cast<double>(i) / bus.rate;
                    const double f = f0 * (1 + depth * std::sin(kTwoPi * rate * t + vphase));
                    z *= std::polar(1.0, kTwoPi * f / bus.rate);
                    z /= std::abs(z);
                    std::complex<double> zk = z;
                    double s = 0;
                    for (int k = 1; k <= partials; ++k, zk *= z) s += zk.imag() / (k * std::sqrt(k));
                    const double env = std::min({1.0, t / attack, (length + 0.4 - t) / 0.4});
                    v[i] = env * s;
                }
                bus.place(v, at, pan, 0.05);
            }
        }
        at += samples(length, bus.rate);
    }
}

namespace {
std::vector<double> kick(Random& r, int rate) {
    std::vector<double> v(samples(0.45, rate));
    const double low = r.uniform(42, 58), decay = r.uniform(0.15, 0.3);
    double phase = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        phase += (low + 110 * std::exp(-t / 0.03)) / rate;
        v[i] = std::sin(kTwoPi * phase) * std::exp(-t / decay) + (t < 0.002 ? 0.5 * r.gauss() : 0);
    }
    return v;
}

// Noise through a resonator, with an instant onset and an exponential decay.
std::vector<double> noiseHit(Random& r, int rate, double hz, double bw, double decay, double seconds) {
    std::vector<double> v(samples(seconds, rate));
    Resonator colour(hz, bw, rate);
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = 3 * colour(r.gauss()) * std::exp(-static_cast<double>(i) / (decay * rate));
    return v;
}

std::vector<double> snare(Random& r, int rate) {
    auto v = noiseHit(r, rate, r.uniform(3000, 5000), 4000, r.uniform(0.08, 0.14), 0.35);
    addPartial(v, r.uniform(170, 200), 0.8, 0.06, 0, rate);
    addPartial(v, r.uniform(310, 350), 0.4, 0.04, 0, rate);
    return v;
}

std::vector<double> clap(Random& r, int rate) {
    std::vector<double> v(samples(0.3, rate));
    const double hz = r.uniform(1000, 2000);
    for (double burst : {0.0, 0.008, 0.017, 0.027}) {
        const auto b = noiseHit(r, rate, hz, 1500, burst < 0.02 ? 0.004 : 0.09, 0.27);
        for (std::size_t i = 0; i < b.size() && samples(burst, rate) + i < v.size(); ++i)
            v[samples(burst, rate) + i] += b[i];
    }
    return v;
}

std::vector<double> tom(Random& r, int rate) {
    std::vector<double> v(samples(0.5, rate));
    const double hz = r.uniform(90, 220);
    double phase = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        phase += hz * (1 + 0.4 * std::exp(-t / 0.05)) / rate;
        v[i] = std::sin(kTwoPi * phase) * std::exp(-t / 0.18);
    }
    return v;
}
}  // namespace

void drums(Bus& bus, Random& r, bool hand) {
    const double sixteenth = 60.0 / r.uniform(88, 132) / 4;
    const double hatHz = std::min(9000.0, 0.4 * bus.rate);
    for (int step = 0;; ++step) {
        const std::size_t at = samples(0.05 + step * sixteenth + r.uniform(0, 0.006), bus.rate);
        if (at >= bus.frames()) break;
        const int beat = step % 16;
        if (!hand) {
            if (beat == 0 || beat == 8 || (beat == 10 && r.chance(0.5)) || r.chance(0.05))
                bus.place(kick(r, bus.rate), at, 0, r.uniform(0.7, 1.0));
            if (beat == 4 || beat == 12 || r.chance(0.04))
                bus.place(snare(r, bus.rate), at, 0.1, r.uniform(0.5, 0.9));
            if (beat % 2 == 0 || r.chance(0.3)) {
                const bool open = r.chance(0.1);
                bus.place(noiseHit(r, bus.rate, hatHz, 6000, open ? 0.2 : 0.03, open ? 0.5 : 0.12), at, -0.35,
                          r.uniform(0.15, 0.4));
            }
            if (beat == 12 && r.chance(0.3)) bus.place(clap(r, bus.rate), at, 0.2, 0.5);
        } else {
            if (beat % 4 == 2 || r.chance(0.1)) bus.place(clap(r, bus.rate), at, r.uniform(-0.5, 0.5), 0.6);
            if (beat % 3 == 0 || r.chance(0.15)) bus.place(tom(r, bus.rate), at, r.uniform(-0.7, 0.7), 0.8);
            bus.place(noiseHit(r, bus.rate, hatHz * 0.7, 5000, 0.015, 0.06), at, 0.5, r.uniform(0.1, 0.3));
        }
    }
}

void sustainedTones(Bus& bus, Random& r) {
    std::size_t at = 0;
    while (at < bus.frames()) {
        const double length = r.uniform(2.5, 5.0);
        for (int n = 0; n < 3; ++n) {
            std::vector<double> v(samples(length + 0.1, bus.rate));
            const double f = midiHz(r.integer(48, 76));
            for (int k = 1; k <= 4; ++k)
                addPartial(v, k * f, 0.5 / (k * k), 1e6, r.uniform(0, kTwoPi), bus.rate);
            for (std::size_t i = 0; i < v.size(); ++i)
                v[i] *= std::min({1.0, i / (0.05 * bus.rate), (v.size() - i) / (0.05 * bus.rate)});
            bus.place(v, at, r.uniform(-0.6, 0.6), 0.4);
        }
        at += samples(length, bus.rate);
    }
}

void pluckedGuitar(Bus& bus, Random& r) {
    std::size_t at = samples(0.05, bus.rate);
    while (at < bus.frames()) {
        std::vector<double> v(samples(r.uniform(1.0, 2.5), bus.rate));
        const std::size_t period =
            std::max<std::size_t>(2, static_cast<std::size_t>(bus.rate / midiHz(r.integer(40, 76))));
        std::vector<double> string(period);
        for (double& s : string) s = r.uniform(-1, 1);
        const double damping = r.uniform(0.494, 0.4985);
        for (std::size_t i = 0; i < v.size(); ++i) {  // Karplus-Strong
            const std::size_t j = i % period;
            v[i] = string[j];
            string[j] = damping * (string[j] + string[(j + 1) % period]);
        }
        fadeOut(v, samples(0.05, bus.rate));
        bus.place(v, at, r.uniform(-0.3, 0.3), r.uniform(0.3, 0.8));
        at += samples(r.uniform(0.2, 0.8), bus.rate);
    }
}

void bassLine(Bus& bus, Random& r) {
    const double eighth = r.uniform(0.22, 0.32);
    std::size_t at = samples(0.05, bus.rate);
    while (at < bus.frames()) {
        std::vector<double> v(samples(eighth * r.integer(1, 3), bus.rate));
        const double f = midiHz(r.integer(28, 43));
        for (int k = 1; k <= 8; ++k) addPartial(v, k * f, 0.6 / k, 0.4 / k, 0, bus.rate);
        fadeOut(v, samples(0.02, bus.rate));
        bus.place(v, at, 0, 1.0);
        at += v.size();
    }
}
