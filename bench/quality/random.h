// A small seeded generator whose sequence is the same on every compiler and
// library (the standard distributions are not), so a seed names one corpus.
#pragma once

#include <cmath>
#include <cstdint>

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}

    // splitmix64: full period, good enough for synthesis and placement.
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    int integer(int lo, int hiInclusive) { return lo + static_cast<int>(uniform() * (hiInclusive - lo + 1)); }
    bool chance(double p) { return uniform() < p; }
    double sign() { return chance(0.5) ? 1.0 : -1.0; }
    // Standard normal (Box-Muller, one value per call).
    double gauss() {
        const double u = 1.0 - uniform();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * uniform());
    }
    // Pareto with minimum 1 and tail index alpha: many near 1, a few far above.
    double pareto(double alpha) { return std::pow(1.0 - uniform(), -1.0 / alpha); }
    // A generator of its own for a sub-task, so adding draws in one place
    // does not shift every later one.
    Random fork() { return Random(next()); }

private:
    std::uint64_t state_;
};
