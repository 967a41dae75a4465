// Quick quality check of the restore engine on clean sound files (a dev tool,
// never pass/fail): damages each file with known masks (impulses, ringing
// clicks, crackle bursts, scratches with a thump after the larger ones), runs
// the engine on the damaged and on the clean file, and prints per kind the
// share of events fixed by >= 10 dB and made worse (< -1 dB), the SNR inside
// the damage, and on the clean file the share of samples changed and the
// changed regions per minute.
//   restore_score CLEAN.wav... [--list] [--diagnose] [settings as restore_file]
// --diagnose adds, per kind, the share of events the engine found (at least
// 80 % of the event's samples changed) and what an oracle repair makes of the
// exact masks (see oracle_repair.h): detection and repair told apart.
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "restore/restore_engine.h"
#include "restore/restore_geometry.h"
#include "oracle_repair.h"
#include "restore_options.h"

namespace {
enum Kind { kImpulse, kClick, kCrackle, kScratch, kThump, kKinds };
const char* kKindNames[kKinds] = {"impulse", "click", "crackle", "scratch", "thump"};

struct Event {
    Kind kind;
    int channel;
    int64_t start, end;
};

struct Sound {
    int rate = 0, channels = 0;
    int64_t frames = 0;
    std::vector<std::vector<float>> data;
};

bool load(const std::string& path, Sound& s) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) return false;
    s.rate = info.samplerate;
    s.channels = info.channels;
    s.frames = info.frames;
    std::vector<float> inter(static_cast<size_t>(info.frames * info.channels));
    sf_readf_float(f, inter.data(), info.frames);
    sf_close(f);
    s.data.assign(s.channels, std::vector<float>(s.frames));
    for (int64_t i = 0; i < s.frames; ++i)
        for (int c = 0; c < s.channels; ++c) s.data[c][i] = inter[i * s.channels + c];
    return true;
}

double logUniform(std::mt19937& r, double lo, double hi) {
    return lo * std::exp(std::uniform_real_distribution<double>(0, 1)(r) * std::log(hi / lo));
}

// A record's clicks do not follow the music's level: many small ones, a few
// near full scale (Pareto above `typical`, capped).
double heavyTailed(std::mt19937& r, double typical, double alpha, double cap) {
    const double u = std::uniform_real_distribution<double>(0, 1)(r);
    return std::min(cap, typical * std::pow(1.0 - u, -1.0 / alpha));
}

void addEvent(Sound& s, std::vector<Event>& events, std::mt19937& r, Kind kind, int64_t at, bool both) {
    std::uniform_real_distribution<double> u(0, 1);
    const double fs = s.rate;
    const int c0 = static_cast<int>(r() % s.channels);
    for (int c = 0; c < s.channels; ++c) {
        if (!both && c != c0) continue;
        auto& x = s.data[c];
        int64_t len = 1;
        if (kind == kImpulse) {
            x[at] += static_cast<float>((u(r) < 0.5 ? -1 : 1) * heavyTailed(r, 0.04, 1.2, 0.9));
        } else if (kind == kClick) {
            len = std::max<int64_t>(2, std::lround(logUniform(r, 0.1, 2.0) * fs / 1000));
            const double a = (u(r) < 0.5 ? -1 : 1) * heavyTailed(r, 0.03, 1.2, 0.9),
                         f = logUniform(r, 1500, 9000);
            for (int64_t i = 0; i < len && at + i < s.frames; ++i)
                x[at + i] +=
                    static_cast<float>(a * std::exp(-4.0 * i / len) * std::cos(2 * M_PI * f * i / fs));
        } else if (kind == kCrackle) {
            len = 2 + r() % 7;
            const double a = heavyTailed(r, 0.015, 1.5, 0.5);
            for (int64_t i = 0; i < len && at + i < s.frames; ++i)
                x[at + i] +=
                    static_cast<float>(a * std::sin(M_PI * (i + 0.5) / len) * (u(r) * 2 - 1 + (i == 0)));
        } else {
            len = std::lround(logUniform(r, 3.0, 20.0) * fs / 1000);
            const double a = heavyTailed(r, 0.06, 1.3, 0.9);
            double lp = 0;
            for (int64_t i = 0; i < len && at + i < s.frames; ++i) {
                lp = 0.7 * lp + 0.3 * (u(r) * 2 - 1);
                x[at + i] += static_cast<float>(a * lp * std::sin(M_PI * (i + 0.5) / len));
            }
            if (len > 0.008 * fs) {
                const double ta = logUniform(r, 0.03, 0.2), tf = logUniform(r, 25, 90),
                             tau = logUniform(r, 0.01, 0.04);
                const int64_t tl = std::lround(3 * tau * fs), t0 = at + len;
                for (int64_t i = 0; i < tl && t0 + i < s.frames; ++i)
                    x[t0 + i] +=
                        static_cast<float>(ta * std::exp(-i / (tau * fs)) * std::sin(2 * M_PI * tf * i / fs));
                events.push_back({kThump, c, t0, std::min(s.frames, t0 + tl)});
            }
        }
        events.push_back({kind, c, at, std::min(s.frames, at + len)});
    }
}

std::vector<Event> damage(Sound& s, uint32_t seed) {
    std::mt19937 r(seed);
    std::vector<Event> events;
    int64_t at = s.rate / 2;
    while (at < s.frames - s.rate / 2) {
        const uint32_t pick = r() % 10;
        const bool both = r() % 3 == 0;
        if (pick < 5) {  // a crackle burst
            const double rate = logUniform(r, 20, 200);
            const int64_t burstEnd = std::min(s.frames - s.rate / 2, at + s.rate / 2);
            for (; at < burstEnd;
                 at += std::max<int64_t>(
                     16,
                     std::lround(s.rate / rate * (0.5 + std::uniform_real_distribution<double>(0, 1)(r)))))
                addEvent(s, events, r, kCrackle, at, both);
        } else {
            addEvent(s, events, r, pick < 7 ? kImpulse : pick < 9 ? kClick : kScratch, at, both);
        }
        at += s.rate / 10 + r() % (s.rate / 5);
    }
    return events;
}

Sound restore(const Sound& in, const RestoreSettings& settings, double& seconds) {
    RestoreEngine engine(in.rate, in.channels, settings);
    Sound out = in;
    const int64_t L = engine.latency(), total = in.frames + L;
    std::vector<std::vector<float>> buf(in.channels, std::vector<float>(512));
    std::vector<const float*> ip(in.channels);
    std::vector<float*> op(in.channels);
    const auto t0 = std::chrono::steady_clock::now();
    for (int64_t pos = 0; pos < total; pos += 512) {
        const int n = static_cast<int>(std::min<int64_t>(512, total - pos));
        for (int c = 0; c < in.channels; ++c) {
            for (int i = 0; i < n; ++i) buf[c][i] = pos + i < in.frames ? in.data[c][pos + i] : 0.0f;
            ip[c] = op[c] = buf[c].data();
        }
        engine.process(ip.data(), op.data(), n);
        for (int c = 0; c < in.channels; ++c)
            for (int i = 0; i < n; ++i)
                if (pos + i >= L) out.data[c][pos + i - L] = buf[c][i];
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    return out;
}

double energy(const std::vector<float>& a, const std::vector<float>& b, int64_t from, int64_t to) {
    double e = 0;
    for (int64_t i = std::max<int64_t>(0, from); i < std::min<int64_t>(to, a.size()); ++i) {
        const double d = static_cast<double>(a[i]) - b[i];
        e += d * d;
    }
    return e;
}

struct Tally {
    long events = 0, fixed = 0, worse = 0;
    double before = 0, after = 0;
    long found = 0, oracleFixed = 0, oracleWorse = 0;
    double oracleAfter = 0;
    long additiveFixed = 0, additiveWorse = 0;
    double additiveAfter = 0;
};

double gainDb(double before, double after) { return 10 * std::log10((before + 1e-30) / (after + 1e-30)); }

// The exact masks (thumps left out: a replacement cannot repair them) through
// the oracle repair, channel by channel.
Sound oracle(const Sound& clean, const Sound& damaged, const std::vector<Event>& events, bool additive,
             int32_t spread) {
    Sound out = damaged;
    for (int c = 0; c < clean.channels; ++c) {
        std::vector<OracleRegion> regions;
        for (const Event& e : events)
            if (e.channel == c && e.kind != kThump) regions.push_back({e.start, e.end});
        std::sort(regions.begin(), regions.end(),
                  [](const OracleRegion& a, const OracleRegion& b) { return a.start < b.start; });
        oracleRepair(clean.data[c], out.data[c], clean.rate, regions, additive, spread);
    }
    return out;
}
}  // namespace

int main(int argc, char** argv) {
    RestoreSettings settings;
    std::vector<std::string> files;
    bool list = false, diagnose = false;
    for (int at = 1; at < argc;) {
        if (std::string(argv[at]) == "--list" || std::string(argv[at]) == "--diagnose") {
            (std::string(argv[at]) == "--list" ? list : diagnose) = true;
            ++at;
            continue;
        }
        if (argv[at][0] != '-') {
            files.push_back(argv[at++]);
            continue;
        }
        std::string error;
        if (!parseRestoreOption(argc, argv, at, settings, error)) {
            std::fprintf(stderr, "restore_score: %s\n", error.c_str());
            return 1;
        }
    }
    Tally total[kKinds];
    double audioSeconds = 0, cpuSeconds = 0;
    std::printf("%-28s %7s %7s %7s %7s %7s %7s | %8s %7s\n", "file", "fixed", "worse", "imp", "click",
                "crackle", "scratch", "clean %", "reg/min");
    for (size_t f = 0; f < files.size(); ++f) {
        Sound clean;
        if (!load(files[f], clean)) {
            std::fprintf(stderr, "restore_score: cannot read %s\n", files[f].c_str());
            return 1;
        }
        Sound damaged = clean;
        const auto events = damage(damaged, 1234 + static_cast<uint32_t>(f));
        double t = 0;
        const Sound out = restore(damaged, settings, t);
        cpuSeconds += t;
        audioSeconds += static_cast<double>(clean.frames) / clean.rate;
        Tally file[kKinds];
        const Sound oracleOut = diagnose ? oracle(clean, damaged, events, false, 0) : Sound{};
        // The engine's own span for the click variances (ORACLE_SPREAD
        // overrides it, in samples, for experiments).
        const int32_t spread = std::getenv("ORACLE_SPREAD")
                                   ? std::atoi(std::getenv("ORACLE_SPREAD"))
                                   : RestoreGeometry::forRate(clean.rate).clickSpread;
        const Sound additiveOut = diagnose ? oracle(clean, damaged, events, true, spread) : Sound{};
        for (const Event& e : events) {
            const auto& cl = clean.data[e.channel];
            const double b = energy(damaged.data[e.channel], cl, e.start - 4, e.end + 4);
            const double a = energy(out.data[e.channel], cl, e.start - 4, e.end + 4);
            const double gain = gainDb(b, a);
            int64_t changed = 0;
            for (int64_t i = e.start; i < e.end; ++i)
                changed += out.data[e.channel][i] != damaged.data[e.channel][i];
            const double oa = diagnose ? energy(oracleOut.data[e.channel], cl, e.start - 4, e.end + 4) : 0;
            const double aa = diagnose ? energy(additiveOut.data[e.channel], cl, e.start - 4, e.end + 4) : 0;
            for (Tally* t2 : {&file[e.kind], &total[e.kind]}) {
                t2->additiveFixed += gainDb(b, aa) >= 10;
                t2->additiveWorse += gainDb(b, aa) < -1;
                t2->additiveAfter += aa;
                t2->events++;
                t2->fixed += gain >= 10;
                t2->worse += gain < -1;
                t2->before += b;
                t2->after += a;
                t2->found += changed >= 0.8 * (e.end - e.start);
                t2->oracleFixed += gainDb(b, oa) >= 10;
                t2->oracleWorse += gainDb(b, oa) < -1;
                t2->oracleAfter += oa;
            }
        }
        double t1 = 0;
        const Sound cleanOut = restore(clean, settings, t1);
        int64_t changed = 0, regions = 0;
        for (int c = 0; c < clean.channels; ++c) {
            int64_t last = -1000000;
            for (int64_t i = 0; i < clean.frames; ++i)
                if (cleanOut.data[c][i] != clean.data[c][i]) {
                    ++changed;
                    if (i - last > clean.rate / 100) {
                        ++regions;
                        if (list) {
                            int64_t e = i;
                            while (e < clean.frames && cleanOut.data[c][e] != clean.data[c][e]) ++e;
                            std::printf("  changed ch%d at %.4f s, %lld samples\n", c, double(i) / clean.rate,
                                        static_cast<long long>(e - i));
                        }
                    }
                    last = i;
                }
        }
        long ev = 0, fx = 0, wo = 0;
        for (auto& k : file) ev += k.events, fx += k.fixed, wo += k.worse;
        auto pct = [](long a, long b) { return b ? 100.0 * a / b : 0.0; };
        const double minutes = clean.frames / (60.0 * clean.rate);
        std::printf("%-28s %6.1f%% %6.1f%% %6.1f%% %6.1f%% %6.1f%% %6.1f%% | %7.4f%% %7.1f\n",
                    files[f].substr(files[f].rfind('/') + 1).c_str(), pct(fx, ev), pct(wo, ev),
                    pct(file[kImpulse].fixed, file[kImpulse].events),
                    pct(file[kClick].fixed, file[kClick].events),
                    pct(file[kCrackle].fixed, file[kCrackle].events),
                    pct(file[kScratch].fixed, file[kScratch].events),
                    100.0 * changed / (clean.frames * clean.channels), regions / minutes / clean.channels);
    }
    long ev = 0, fx = 0, wo = 0;
    double b = 0, a = 0;
    std::printf("\n%-8s %7s %7s %7s %12s", "kind", "events", "fixed", "worse", "SNR in dmg");
    if (diagnose)
        std::printf(" | %7s %8s %8s %10s | %8s %8s %10s", "found", "oracle", "o.worse", "oracle SNR",
                    "additive", "a.worse", "add. SNR");
    std::printf("\n");
    for (int k = 0; k < kKinds; ++k) {
        const Tally& t = total[k];
        ev += t.events, fx += t.fixed, wo += t.worse, b += t.before, a += t.after;
        const double n = std::max<long>(1, t.events);
        std::printf("%-8s %7ld %6.1f%% %6.1f%% %+6.1f dB", kKindNames[k], t.events, 100.0 * t.fixed / n,
                    100.0 * t.worse / n, gainDb(t.before, t.after));
        if (diagnose)
            std::printf("   | %6.1f%% %7.1f%% %7.1f%% %+7.1f dB", 100.0 * t.found / n,
                        100.0 * t.oracleFixed / n, 100.0 * t.oracleWorse / n,
                        gainDb(t.before, t.oracleAfter));
        if (diagnose)
            std::printf(" | %7.1f%% %7.1f%% %+7.1f dB", 100.0 * t.additiveFixed / n,
                        100.0 * t.additiveWorse / n, gainDb(t.before, t.additiveAfter));
        std::printf("\n");
    }
    std::printf("%-8s %7ld %6.1f%% %6.1f%% %+6.1f dB   engine %.0fx real time (damaged pass)\n", "all", ev,
                100.0 * fx / ev, 100.0 * wo / ev, 10 * std::log10(b / a), audioSeconds / cpuSeconds);
    return 0;
}
