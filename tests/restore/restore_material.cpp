#include "restore_material.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace restore_material {

std::vector<float> pluckedMusic(int frames, double rate, uint32_t seed) {
    constexpr double kTwoPi = 6.283185307179586;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<double> x(static_cast<size_t>(frames), 0.0);
    for (int i = 0; i < frames; ++i) {
        const double t = i / rate;
        x[static_cast<size_t>(i)] = 0.05 * std::sin(kTwoPi * 196.0 * t) +
                                    0.04 * std::sin(kTwoPi * 246.9 * t + 1.0) + 0.0003 * noise(rng);
    }
    for (int onset = static_cast<int>(0.05 * rate); onset < frames;
         onset += static_cast<int>((0.15 + 0.3 * u(rng)) * rate)) {
        const double f0 = 110.0 * std::pow(2.0, 3.0 * u(rng));
        const double amp = 0.1 + 0.2 * u(rng);
        const double decay = 0.2 + 0.6 * u(rng);
        const int attack = static_cast<int>(0.002 * rate);
        for (int i = 0; onset + i < frames && i < static_cast<int>(3.0 * rate); ++i) {
            const double t = i / rate;
            double s = 0.0;
            for (int k = 1; k <= 8; ++k) s += std::sin(kTwoPi * f0 * k * t) * std::exp(-t * k / decay) / k;
            if (i < attack) s += 0.5 * noise(rng) * (1.0 - static_cast<double>(i) / attack);
            x[static_cast<size_t>(onset + i)] += amp * std::min(1.0, i / (0.0005 * rate)) * s;
        }
    }
    return std::vector<float>(x.begin(), x.end());
}

std::vector<Damage> addClicks(std::vector<float>& x, double rate, int first, int spacing, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<Damage> damage;
    const int frames = static_cast<int>(x.size());
    for (int at = first, kind = 0; at + static_cast<int>(0.01 * rate) < frames;
         at += spacing, kind = (kind + 1) % 3) {
        const double amp = (u(rng) < 0.5 ? -1.0 : 1.0) * 0.05 * std::pow(8.0, u(rng));
        int length = 1;
        if (kind == 0) {
            x[static_cast<size_t>(at)] += static_cast<float>(amp);
        } else if (kind == 1) {
            length = std::max(2, static_cast<int>((0.1 + 1.4 * u(rng)) * 0.001 * rate));
            const double f = 2000.0 + 6000.0 * u(rng);
            for (int i = 0; i < length; ++i)
                x[static_cast<size_t>(at + i)] += static_cast<float>(
                    amp * std::exp(-4.0 * i / length) * std::cos(6.283185307179586 * f * i / rate));
        } else {
            length = 2 + static_cast<int>(rng() % 7);
            for (int i = 0; i < length; ++i)
                x[static_cast<size_t>(at + i)] +=
                    static_cast<float>(amp * (0.5 + 0.5 * u(rng)) * (i % 2 ? -0.6 : 1.0));
        }
        damage.push_back(Damage{at, length});
    }
    return damage;
}

double errorEnergy(const std::vector<float>& out, const std::vector<float>& clean, int from, int to) {
    double e = 0.0;
    for (int i = std::max(0, from); i < std::min(to, static_cast<int>(clean.size())); ++i) {
        const double d = static_cast<double>(out[static_cast<size_t>(i)]) - clean[static_cast<size_t>(i)];
        e += d * d;
    }
    return e;
}

}  // namespace restore_material
