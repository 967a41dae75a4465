#include "bench/quality/damage.h"

#include <algorithm>
#include <cmath>

#include "bench/quality/random.h"

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr std::size_t kGuard = 12;

std::size_t samples(double seconds, int rate) {
    return std::max<std::size_t>(1, std::lround(seconds * rate));
}

std::vector<double> click(Random& r, int rate, double a) {
    std::vector<double> v(std::max<std::size_t>(2, samples(r.uniform(0.0001, 0.002), rate)));
    const double hz = std::min(r.uniform(1500, 7000), 0.4 * rate), phase = r.uniform(0, kTwoPi);
    const double ringing = r.uniform(0.3, 1.0);
    for (std::size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / v.size();
        v[i] = a * std::exp(-4 * t) * (ringing * std::cos(kTwoPi * hz * i / rate + phase) + (1 - ringing));
    }
    return v;
}

std::vector<double> crackle(Random& r, double a) {
    std::vector<double> v(r.integer(2, 8));
    const bool ringing = r.chance(0.3);
    for (std::size_t i = 0; i < v.size(); ++i) {
        const double shape = std::sin(M_PI * (i + 0.5) / v.size()) * r.uniform(0.6, 1.0);
        v[i] = a * shape * (ringing && i >= v.size() / 2 ? -0.7 : 1.0);
    }
    return v;
}

std::vector<double> scratch(Random& r, int rate, double a) {
    std::vector<double> v(samples(r.uniform(0.003, 0.02), rate));
    const double hz = r.uniform(300, 1500), smoothing = std::exp(-kTwoPi * 3000.0 / rate);
    double noise = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / v.size(), seconds = static_cast<double>(i) / rate;
        noise = smoothing * noise + (1 - smoothing) * 3 * r.gauss();
        const double env = std::min(1.0, seconds / 0.0002) * std::exp(-2.5 * t);
        v[i] = a * env * (0.6 * std::clamp(noise, -1.5, 1.5) + 0.5 * std::sin(kTwoPi * hz * seconds));
    }
    return v;
}

std::vector<double> thump(Random& r, int rate, double a) {
    std::vector<double> v(samples(r.uniform(0.03, 0.08), rate));
    const double hz = r.uniform(20, 100), rise = 0.002 * rate, sign = r.sign();
    for (std::size_t i = 0; i < v.size(); ++i) {
        const double t = static_cast<double>(i) / v.size();
        const double env = std::min(1.0, i / rise) * std::exp(-4 * t) * std::min(1.0, (1 - t) * 10);
        v[i] = sign * a * env * std::sin(kTwoPi * hz * i / rate + M_PI / 2 * std::min(1.0, i / rise));
    }
    return v;
}

class Placer {
public:
    Placer(Damaged& d, Random& r)
        : d_(d), r_(r), busy_(d.audio.channels.size(), std::vector<bool>(d.audio.frames())) {}

    // Adds `first` (and `second`, the thump after it, if any) on one channel
    // or both, at `at`; false if that span is taken.
    bool place(DamageKind kind, std::size_t at, const std::vector<double>& first,
               const std::vector<double>& second) {
        const std::size_t span = first.size() + second.size(), frames = d_.audio.frames();
        if (at < kGuard || at + span + kGuard >= frames) return false;
        const bool both = d_.audio.channels.size() > 1 && r_.chance(0.35);
        const int one = r_.integer(0, static_cast<int>(d_.audio.channels.size()) - 1);
        std::vector<int> hit = both ? std::vector<int>{0, 1} : std::vector<int>{one};
        for (int c : hit)
            for (std::size_t i = at - kGuard; i < at + span + kGuard; ++i)
                if (busy_[c][i]) return false;
        for (int c : hit) {
            const double gain = c == hit.front() ? 1.0 : r_.uniform(0.5, 1.0) * (r_.chance(0.3) ? -1 : 1);
            for (std::size_t i = 0; i < span; ++i)
                d_.audio.channels[c][at + i] +=
                    gain * (i < first.size() ? first[i] : second[i - first.size()]);
            for (std::size_t i = at - kGuard; i < at + span + kGuard; ++i) busy_[c][i] = true;
            d_.events.push_back({kind, c, at, first.size()});
            if (!second.empty())
                d_.events.push_back({DamageKind::Thump, c, at + first.size(), second.size()});
        }
        return true;
    }

private:
    Damaged& d_;
    Random& r_;
    std::vector<std::vector<bool>> busy_;
};

// Full scale stays full scale: the largest draws are capped, not redrawn.
double amplitude(Random& r, double typical, double alpha, double cap) {
    return r.sign() * std::min(cap, typical * r.pareto(alpha));
}
}  // namespace

const char* damageName(DamageKind kind) {
    static const char* names[] = {"impulse", "click", "crackle", "scratch", "thump"};
    return names[static_cast<int>(kind)];
}

Damaged damage(const Audio& clean, std::uint64_t seed, double density) {
    Damaged d{clean, {}};
    Random r(seed);
    Placer placer(d, r);
    const std::size_t frames = clean.frames();
    const int rate = clean.rate;
    auto anywhere = [&] { return static_cast<std::size_t>(r.uniform() * frames); };
    auto scatter = [&](double perSecond, auto&& make) {
        const int count = static_cast<int>(std::lround(perSecond * density * clean.seconds()));
        for (int placed = 0, tries = 0; placed < count && tries < 50 * count; ++tries)
            placed += make(anywhere());
    };
    const std::vector<double> none;
    scatter(2.0, [&](std::size_t at) {
        return placer.place(DamageKind::Impulse, at, {amplitude(r, 0.05, 1.2, 0.9)}, none);
    });
    scatter(2.0, [&](std::size_t at) {
        const double a = amplitude(r, 0.04, 1.2, 0.9);
        return placer.place(DamageKind::Click, at, click(r, rate, a),
                            std::fabs(a) >= 0.3 ? thump(r, rate, r.uniform(0.3, 0.7) * std::fabs(a)) : none);
    });
    scatter(0.5, [&](std::size_t at) {
        const double a = amplitude(r, 0.08, 1.3, 0.9);
        return placer.place(DamageKind::Scratch, at, scratch(r, rate, a),
                            std::fabs(a) >= 0.15 ? thump(r, rate, r.uniform(0.3, 0.7) * std::fabs(a)) : none);
    });
    scatter(0.25, [&](std::size_t burst) {
        const std::size_t end = std::min(frames, burst + samples(r.uniform(0.3, 2.0), rate));
        const double perSecond = r.uniform(20, 200);
        for (double at = static_cast<double>(burst); at < end;
             at += -std::log(1 - r.uniform()) * rate / perSecond)
            placer.place(DamageKind::Crackle, static_cast<std::size_t>(at),
                         crackle(r, amplitude(r, 0.02, 1.5, 0.5)), none);
        return true;
    });
    std::sort(d.events.begin(), d.events.end(), [](const DamageEvent& a, const DamageEvent& b) {
        return a.start != b.start ? a.start < b.start : a.channel < b.channel;
    });
    return d;
}
