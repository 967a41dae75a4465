// Speed of the restore engine: stereo 44.1 kHz in 512-frame host blocks, on
// clean material and on dense crackle, reported as real-time factor (audio
// seconds per CPU second, counter "x_realtime"), plus the worst single host
// block as a share of its own duration ("worst_block_%").
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <random>
#include <vector>

#include "restore/restore_engine.h"

namespace {
constexpr double kRate = 44100.0;
constexpr int kFrames = 441000;  // 10 s
constexpr int kBlock = 512;

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Tones with vibrato over a noise floor, optionally with crackle bursts
// (2 to 8 samples, about 150 a second) on both channels.
std::vector<std::vector<float>> material(bool crackle) {
    std::mt19937 rng(9);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::normal_distribution<double> noise(0.0, 0.001);
    std::vector<std::vector<float>> x(2, std::vector<float>(kFrames));
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < kFrames; ++i) {
            const double t = i / kRate;
            x[c][i] = static_cast<float>(0.2 * std::sin(6.2832 * (220.0 + c) * t + 0.3 * std::sin(30 * t)) +
                                         0.1 * std::sin(6.2832 * 587.0 * t) + noise(rng));
        }
    if (crackle)
        for (int at = 100; at < kFrames - 10; at += 50 + static_cast<int>(rng() % 500)) {
            const int length = 2 + static_cast<int>(rng() % 7);
            const double a = 0.01 * std::pow(20.0, u(rng));
            for (int c = 0; c < 2; ++c)
                if (rng() % 3 != 0)
                    for (int i = 0; i < length; ++i) x[c][at + i] += static_cast<float>(a * (u(rng) - 0.5));
        }
    return x;
}

void runEngine(benchmark::State& state, bool crackle) {
    const auto x = material(crackle);
    std::vector<float> outL(kBlock), outR(kBlock);
    double worst = 0.0;
    for (auto _ : state) {
        RestoreEngine engine(kRate, 2);
        for (int pos = 0; pos + kBlock <= kFrames; pos += kBlock) {
            const float* in[2] = {x[0].data() + pos, x[1].data() + pos};
            float* out[2] = {outL.data(), outR.data()};
            engine.process(in, out, kBlock);
        }
        benchmark::DoNotOptimize(outL.data());
    }
    // The worst block, timed on its own pass (clock reads are system calls).
    {
        RestoreEngine engine(kRate, 2);
        for (int pos = 0; pos + kBlock <= kFrames; pos += kBlock) {
            const float* in[2] = {x[0].data() + pos, x[1].data() + pos};
            float* out[2] = {outL.data(), outR.data()};
            const double t0 = threadCpuSeconds();
            engine.process(in, out, kBlock);
            worst = std::max(worst, threadCpuSeconds() - t0);
        }
    }
    state.counters["x_realtime"] = benchmark::Counter(
        kFrames / kRate * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["worst_block_%"] = 100.0 * worst / (kBlock / kRate);
}

void BM_RestoreClean(benchmark::State& state) { runEngine(state, false); }
void BM_RestoreDenseCrackle(benchmark::State& state) { runEngine(state, true); }
BENCHMARK(BM_RestoreClean)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RestoreDenseCrackle)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace

BENCHMARK_MAIN();
