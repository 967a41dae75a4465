#include "restore/thump_remover.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kLowPassHz = 150.0;
constexpr double kLowestHz = 20.0, kHighestHz = 100.0;
constexpr double kShortestDecayMs = 10.0, kLongestDecayMs = 60.0;
constexpr int kFrequencies = 24, kDecays = 6;
// Acceptance: the thump explains this share of the low band after the click,
// and its power is this many times the low band's just before.
constexpr double kExplained = 0.6;
constexpr double kAboveMusic = 3.0;
}  // namespace

ThumpRemover::ThumpRemover(const RestoreGeometry& geometry)
    : g(geometry),
      fitSpan(g.samples(60.0)),
      shortestFit(g.samples(10.0)),
      reference(g.samples(20.0)),
      skip(g.samples(2.0)),
      low(static_cast<size_t>(g.window)),
      before(static_cast<size_t>(g.window)),
      basisSin(static_cast<size_t>(g.window)),
      basisCos(static_cast<size_t>(g.window)),
      lowSin(static_cast<size_t>(g.window)),
      lowCos(static_cast<size_t>(g.window)) {
    // Butterworth low-pass by the bilinear transform.
    const double k = std::tan(kPi * kLowPassHz / g.sampleRate);
    const double q = std::sqrt(0.5);
    const double norm = 1.0 / (1.0 + k / q + k * k);
    b0 = k * k * norm;
    b1 = 2.0 * b0;
    b2 = b0;
    a1 = 2.0 * (k * k - 1.0) * norm;
    a2 = (1.0 - k / q + k * k) * norm;
    reset();
}

void ThumpRemover::reset() {
    for (Pending& p : pending) p.active = false;
}

double ThumpRemover::lowPassInto(const float* in, int32_t n, float* out) const {
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0, energy = 0.0;
    for (int32_t i = 0; i < n; ++i) {
        const double x0 = in[i];
        const double y0 = b0 * x0 + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1, x1 = x0, y2 = y1, y1 = y0;
        out[i] = static_cast<float>(y0);
        energy += y0 * y0;
    }
    return energy;
}

// Least squares of low[0..n) on the filtered sin/cos basis; returns the
// energy explained.
double ThumpRemover::fit(int32_t n, double omega, double decay, double& a, double& b) {
    // exp(-i decay) (cos + j sin)(omega i) by a complex recurrence, in
    // double: the rounding stays far below float over a fit's length.
    const double stepRe = std::exp(-decay) * std::cos(omega), stepIm = std::exp(-decay) * std::sin(omega);
    double re = 1.0, im = 0.0;
    for (int32_t i = 0; i < n; ++i) {
        basisSin[i] = static_cast<float>(im);
        basisCos[i] = static_cast<float>(re);
        const double nextRe = re * stepRe - im * stepIm;
        im = re * stepIm + im * stepRe;
        re = nextRe;
    }
    lowPassInto(basisSin.data(), n, lowSin.data());
    lowPassInto(basisCos.data(), n, lowCos.data());
    double ss = 0, sc = 0, cc = 0, sy = 0, cy = 0;
    for (int32_t i = skip; i < n; ++i) {
        ss += static_cast<double>(lowSin[i]) * lowSin[i];
        sc += static_cast<double>(lowSin[i]) * lowCos[i];
        cc += static_cast<double>(lowCos[i]) * lowCos[i];
        sy += static_cast<double>(lowSin[i]) * low[i];
        cy += static_cast<double>(lowCos[i]) * low[i];
    }
    const double det = ss * cc - sc * sc;
    if (!(det > 1e-12 * ss * cc)) {
        a = b = 0.0;
        return 0.0;
    }
    a = (cc * sy - sc * cy) / det;
    b = (ss * cy - sc * sy) / det;
    return a * sy + b * cy;
}

void ThumpRemover::subtract(float* x, const Pending& t, int32_t from, int32_t to) const {
    from = std::max(from, t.start);
    to = std::min(to, t.start + t.length);
    for (int32_t n = from; n < to; ++n) {
        const double i = n - t.start;
        const double envelope = std::exp(-i * t.decay);
        // Faded in over the span the fit left out: the click's repaired end
        // is there, and the pulse may have begun anywhere inside it.
        const double fade = i < t.fade ? 0.5 - 0.5 * std::cos(kPi * (i + 0.5) / t.fade) : 1.0;
        x[n] -=
            static_cast<float>(fade * envelope * (t.a * std::sin(t.omega * i) + t.b * std::cos(t.omega * i)));
    }
}

void ThumpRemover::advance(float* window) {
    for (Pending& p : pending) {
        if (!p.active) continue;
        p.start -= g.hop;
        subtract(window, p, g.window - g.hop, g.window);
        if (p.start + p.length <= g.window - g.hop) p.active = false;
    }
}

bool ThumpRemover::remove(float* x, int32_t clickStart, int32_t from) {
    const int32_t n = std::min(fitSpan, g.window - from);
    const int32_t refFrom = std::max(0, clickStart - reference);
    const int32_t refLength = clickStart - refFrom;
    if (n < shortestFit || refLength < shortestFit) return false;
    // The low band after the click (the filter starts from rest there, as
    // it does on the basis) and the music's low band before the click.
    const double musicPower = lowPassInto(x + refFrom, refLength, before.data()) / refLength;
    lowPassInto(x + from, n, low.data());
    double total = 0.0;
    for (int32_t i = skip; i < n; ++i) total += static_cast<double>(low[i]) * low[i];
    if (!(total / (n - skip) > kAboveMusic * musicPower)) return false;
    double bestEnergy = 0.0, bestOmega = 0.0, bestDecay = 0.0;
    const double omegaLow = 2.0 * kPi * kLowestHz / g.sampleRate;
    const double omegaRatio = std::pow(kHighestHz / kLowestHz, 1.0 / (kFrequencies - 1));
    const double decayRatio = std::pow(kLongestDecayMs / kShortestDecayMs, 1.0 / (kDecays - 1));
    double a = 0, b = 0;
    for (int f = 0; f < kFrequencies; ++f)
        for (int d = 0; d < kDecays; ++d) {
            const double omega = omegaLow * std::pow(omegaRatio, f);
            const double decay = 1.0 / (g.samples(kShortestDecayMs) * std::pow(decayRatio, d));
            const double e = fit(n, omega, decay, a, b);
            if (e > bestEnergy) bestEnergy = e, bestOmega = omega, bestDecay = decay;
        }
    if (bestEnergy == 0.0) return false;
    // Refine between the grid's neighbours.
    const double coarseOmega = bestOmega, coarseDecay = bestDecay;
    for (int f = -3; f <= 3; ++f)
        for (int d = -2; d <= 2; ++d) {
            const double omega = coarseOmega * std::pow(omegaRatio, f / 4.0);
            const double decay = coarseDecay * std::pow(decayRatio, d / 3.0);
            const double e = fit(n, omega, decay, a, b);
            if (e > bestEnergy) bestEnergy = e, bestOmega = omega, bestDecay = decay;
        }
    if (!(bestEnergy > kExplained * total) || !(bestEnergy / (n - skip) > kAboveMusic * musicPower))
        return false;
    fit(n, bestOmega, bestDecay, a, b);
    if (!std::isfinite(a) || !std::isfinite(b)) return false;
    Pending t{true, from, 0, a, b, bestOmega, bestDecay, skip};
    // Until its envelope is below a thousandth of its start.
    t.length = static_cast<int32_t>(std::ceil(std::log(1000.0) / bestDecay));
    subtract(x, t, from, g.window);
    if (t.start + t.length <= g.window) return true;
    for (Pending& p : pending)
        if (!p.active) {
            p = t;
            return true;
        }
    return true;  // no slot left: the rest of it stays (rare: four thumps within a window)
}
