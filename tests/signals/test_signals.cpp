#include "test_signals.h"

#include <cmath>
#include <random>

namespace test_signals {

namespace {
constexpr double kTwoPi = 6.283185307179586;
}

std::vector<float> harmonicTone(int length, double f0, int harmonics, double amp, double phase) {
    std::vector<float> v(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) {
        double s = 0.0;
        for (int k = 1; k <= harmonics; ++k) s += std::sin(kTwoPi * f0 * k * i / kSampleRate + phase * k) / k;
        v[static_cast<size_t>(i)] = static_cast<float>(amp * s);
    }
    return v;
}

std::vector<float> sungVowel(int length, double f0, double amp, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> startPhase(0.0, 1.0);
    // Formants of an "a" vowel.
    const double formants[3][2] = {{730.0, 80.0}, {1090.0, 90.0}, {2440.0, 120.0}};
    double state[3][2] = {};
    std::vector<double> out(static_cast<size_t>(length));
    double phase = startPhase(rng);
    const double f = f0;
    for (int i = 0; i < length; ++i) {
        phase += f / kSampleRate;
        if (phase >= 1.0) phase -= 1.0;
        // Smooth glottal pulse: raised cosine over the first 40 % of the period.
        const double source = phase < 0.4 ? 0.5 * (1.0 - std::cos(kTwoPi * phase / 0.4)) : 0.0;
        double sum = 0.0;
        for (int r = 0; r < 3; ++r) {
            const double radius = std::exp(-0.5 * kTwoPi * formants[r][1] / kSampleRate);
            const double a1 = 2.0 * radius * std::cos(kTwoPi * formants[r][0] / kSampleRate);
            const double a2 = -radius * radius;
            const double y = (1.0 - radius) * source + a1 * state[r][0] + a2 * state[r][1];
            state[r][1] = state[r][0];
            state[r][0] = y;
            sum += y / (r + 1);
        }
        out[static_cast<size_t>(i)] = sum;
    }
    double peak = 1e-12;
    double mean = 0.0;
    for (double x : out) mean += x;
    mean /= length;
    for (double x : out) peak = std::fmax(peak, std::fabs(x - mean));
    std::vector<float> v(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i)
        v[static_cast<size_t>(i)] = static_cast<float>(amp * (out[static_cast<size_t>(i)] - mean) / peak);
    return v;
}

std::vector<float> whiteNoise(int length, double sigma, uint32_t seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> g(0.0, sigma);
    std::vector<float> v(static_cast<size_t>(length));
    for (auto& x : v) x = static_cast<float>(g(rng));
    return v;
}

std::vector<float> musicLike(int length, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<float> v(static_cast<size_t>(length), 0.0f);
    const int voices = 4;
    for (int voice = 0; voice < voices; ++voice) {
        const double f0 = 110.0 * std::pow(2.0, u(rng) * 3.0);
        const double tremolo = 0.5 + 2.0 * u(rng);
        for (int i = 0; i < length; ++i) {
            const double env = 0.6 + 0.4 * std::sin(kTwoPi * tremolo * i / kSampleRate);
            double s = 0.0;
            for (int k = 1; k <= 5; ++k) s += std::sin(kTwoPi * f0 * k * i / kSampleRate) / (k * k);
            v[static_cast<size_t>(i)] += static_cast<float>(0.12 * env * s);
        }
    }
    return v;
}

Click addImpulse(std::vector<float>& signal, int position, double amplitude) {
    signal[static_cast<size_t>(position)] += static_cast<float>(amplitude);
    return Click{position, 1};
}

Click addDampedClick(std::vector<float>& signal, int position, double amplitude) {
    // Envelope 1, 0.35, 0.12, 0.04 with alternating sign: gone after 3 samples.
    const double shape[4] = {1.0, -0.35, 0.12, -0.04};
    for (int i = 0; i < 4; ++i)
        signal[static_cast<size_t>(position + i)] += static_cast<float>(amplitude * shape[i]);
    return Click{position, 4};
}

Click addRingingBurst(std::vector<float>& signal, int position, double amplitude, double frequency,
                      int length) {
    for (int i = 0; i < length; ++i) {
        const double env = std::exp(-4.0 * i / length);
        signal[static_cast<size_t>(position + i)] +=
            static_cast<float>(amplitude * env * std::sin(kTwoPi * frequency * i / kSampleRate));
    }
    return Click{position, length};
}

double squaredError(const std::vector<float>& a, const std::vector<float>& b, int from, int to) {
    double e = 0.0;
    for (int i = from; i < to; ++i) {
        const double d = static_cast<double>(a[static_cast<size_t>(i)]) - b[static_cast<size_t>(i)];
        e += d * d;
    }
    return e;
}

std::vector<double> naiveAutocorrelation(const float* x, int n) {
    std::vector<double> r(static_cast<size_t>(n), 0.0);
    for (int t = 0; t < n; ++t) {
        double s = 0.0;
        for (int i = 0; i < n; ++i) s += static_cast<double>(x[i]) * x[(i + t) % n];
        r[static_cast<size_t>(t)] = s;
    }
    return r;
}

void naiveRealDft(const double* x, int n, std::vector<double>& re, std::vector<double>& im) {
    re.assign(static_cast<size_t>(n / 2 + 1), 0.0);
    im.assign(static_cast<size_t>(n / 2 + 1), 0.0);
    for (int k = 0; k <= n / 2; ++k) {
        double sr = 0.0;
        double si = 0.0;
        for (int i = 0; i < n; ++i) {
            const int phase = static_cast<int>((static_cast<int64_t>(i) * k) % n);
            const double angle = kTwoPi * phase / n;
            sr += x[i] * std::cos(angle);
            si -= x[i] * std::sin(angle);
        }
        re[static_cast<size_t>(k)] = sr;
        im[static_cast<size_t>(k)] = si;
    }
}

void naiveInverseRealDft(const std::vector<double>& re, const std::vector<double>& im, int n, double* x) {
    for (int i = 0; i < n; ++i) {
        double s = re[0] + ((i % 2 == 0) ? re[static_cast<size_t>(n / 2)] : -re[static_cast<size_t>(n / 2)]);
        for (int k = 1; k < n / 2; ++k) {
            const int phase = static_cast<int>((static_cast<int64_t>(i) * k) % n);
            const double angle = kTwoPi * phase / n;
            s += 2.0 * (re[static_cast<size_t>(k)] * std::cos(angle) -
                        im[static_cast<size_t>(k)] * std::sin(angle));
        }
        x[i] = s / n;
    }
}

}  // namespace test_signals
