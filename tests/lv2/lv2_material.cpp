#include "lv2_material.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "lv2/bundle_plugins.h"
#include "test_signals.h"

Stereo clickedStereo(int frames, std::uint32_t seed) {
    Stereo s{test_signals::musicLike(frames, seed), test_signals::musicLike(frames, seed + 1)};
    for (int p = 3000; p < frames - 3000; p += 1700) {
        test_signals::addDampedClick(s.left, p, 0.6);
        test_signals::addImpulse(s.right, p + 300, -0.5);
        if (p % 7 == 0) test_signals::addRingingBurst(s.right, p + 500, 0.4, 3000.0, 300);
    }
    return s;
}

int measuredDelay(const Stereo& in, const Stereo& out, int maxLag) {
    int best = -1;
    double bestError = std::numeric_limits<double>::infinity();
    const int n = static_cast<int>(in.frames());
    for (int lag = 0; lag <= maxLag; ++lag) {
        double error = 0.0;
        for (int i = lag; i < n; ++i) {
            const double d = static_cast<double>(out.left[i]) - in.left[i - lag];
            if (std::isfinite(d)) error += d * d;
        }
        if (error < bestError) {
            bestError = error;
            best = lag;
        }
    }
    return best;
}

bool bitIdentical(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

std::vector<PluginCase> bundleCases() {
    using namespace sarnovellite;
    std::vector<PluginCase> cases;
    for (const lv2::PluginDescription* d : lv2::kBundlePlugins) {
        PluginCase c{std::string(d->turtleFile.substr(0, d->turtleFile.find('.'))),
                     std::string(d->uri),
                     {},
                     d->latencyMaximum};
        for (std::uint32_t port = lv2::kFirstControlPort; port < lv2::portCount(*d); ++port)
            c.defaults.push_back(static_cast<float>(effect::shownDefault(*lv2::controlInfo(*d, port))));
        cases.push_back(std::move(c));
    }
    return cases;
}

const Lv2Binary& bundleBinary() {
    static const Lv2Binary binary(SARNOVELLITE_LV2_BINARY_PATH);
    return binary;
}
