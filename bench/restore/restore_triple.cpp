// Event-level view of one repair (a dev tool, never pass/fail):
//   restore_triple CLEAN.wav DAMAGED.wav OUT.wav [--worst N]
// Events are the runs where DAMAGED differs from CLEAN (runs closer than 12
// samples joined), grouped by length; per group: how many, the share fixed by
// >= 10 dB and made worse (< -1 dB) over the run +-4 samples, the share the
// repair touched (at least 80 % of the run changed), and the SNR inside.
// --worst N lists the N events with the lowest gain.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {
struct Sound {
    int rate = 0, channels = 0;
    std::vector<std::vector<float>> data;
};

bool load(const char* path, Sound& s) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path, SFM_READ, &info);
    if (!f) return false;
    s.rate = info.samplerate;
    s.channels = info.channels;
    std::vector<float> inter(static_cast<size_t>(info.frames * info.channels));
    sf_readf_float(f, inter.data(), info.frames);
    sf_close(f);
    s.data.assign(s.channels, std::vector<float>(static_cast<size_t>(info.frames)));
    for (sf_count_t i = 0; i < info.frames; ++i)
        for (int c = 0; c < s.channels; ++c) s.data[c][i] = inter[i * s.channels + c];
    return true;
}

struct Group {
    const char* name;
    double fromMs, toMs;
    long events = 0, fixed = 0, worse = 0, touched = 0;
    double before = 0, after = 0;
};

struct Worst {
    double gain;
    int channel;
    long start, length;
    double peak;
};
}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return std::fprintf(stderr, "usage: restore_triple CLEAN DAMAGED OUT [--worst N]\n"), 1;
    Sound clean, damaged, out;
    if (!load(argv[1], clean) || !load(argv[2], damaged) || !load(argv[3], out))
        return std::fprintf(stderr, "restore_triple: cannot read the files\n"), 1;
    const int listed = argc > 5 && std::string(argv[4]) == "--worst" ? std::atoi(argv[5]) : 0;
    Group groups[] = {{"1 sample", 0, 0},
                      {"<= 0.2 ms", 0, 0.2},
                      {"<= 2 ms", 0.2, 2},
                      {"<= 20 ms", 2, 20},
                      {"> 20 ms", 20, 1e9}};
    std::vector<Worst> worst;
    for (int c = 0; c < clean.channels; ++c) {
        const auto &x = clean.data[c], &d = damaged.data[c], &y = out.data[c];
        const long n = static_cast<long>(x.size());
        for (long i = 0; i < n;) {
            if (d[i] == x[i]) {
                ++i;
                continue;
            }
            long end = i + 1, quiet = 0;
            for (long k = i + 1; k < n && quiet < 12; ++k) {
                if (d[k] != x[k])
                    end = k + 1, quiet = 0;
                else
                    ++quiet;
            }
            double b = 0, a = 0, peak = 0;
            long touched = 0;
            for (long k = std::max(0L, i - 4); k < std::min(n, end + 4); ++k) {
                b += (d[k] - x[k]) * double(d[k] - x[k]);
                a += (y[k] - x[k]) * double(y[k] - x[k]);
            }
            for (long k = i; k < end; ++k)
                touched += y[k] != d[k], peak = std::max(peak, std::fabs(double(d[k] - x[k])));
            const double gain = 10 * std::log10((b + 1e-30) / (a + 1e-30));
            const double ms = 1000.0 * (end - i) / clean.rate;
            Group& g = end - i == 1 ? groups[0]
                       : ms <= 0.2  ? groups[1]
                       : ms <= 2    ? groups[2]
                       : ms <= 20   ? groups[3]
                                    : groups[4];
            ++g.events, g.fixed += gain >= 10, g.worse += gain < -1, g.touched += touched >= 0.8 * (end - i);
            g.before += b, g.after += a;
            worst.push_back({gain, c, i, end - i, peak});
            i = end;
        }
    }
    std::printf("%-10s %7s %7s %7s %8s %10s\n", "length", "events", "fixed", "worse", "touched", "SNR in");
    for (const Group& g : groups) {
        const double e = std::max(1L, g.events);
        std::printf("%-10s %7ld %6.1f%% %6.1f%% %7.1f%% %+8.1f dB\n", g.name, g.events, 100 * g.fixed / e,
                    100 * g.worse / e, 100 * g.touched / e,
                    10 * std::log10((g.before + 1e-30) / (g.after + 1e-30)));
    }
    std::sort(worst.begin(), worst.end(), [](const Worst& a, const Worst& b) { return a.gain < b.gain; });
    for (int k = 0; k < listed && k < static_cast<int>(worst.size()); ++k)
        std::printf("  %+6.1f dB  ch%d  %.4f s  %ld samples  peak %.3f\n", worst[k].gain, worst[k].channel,
                    double(worst[k].start) / clean.rate, worst[k].length, worst[k].peak);
    return 0;
}
