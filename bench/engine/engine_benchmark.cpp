// Real-time factor of the stream engine (audio seconds per CPU second, stereo,
// 44.1 kHz, 512-frame host blocks) on four kinds of material, plus the worst
// single host block: the most processing cycles and the longest time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <cstdint>
#include <vector>

#include "dsp/primitive_dispatch.h"
#include "engine/tqc_stream_engine.h"
#include "test_signals.h"

namespace {

constexpr int kSeconds = 10;
constexpr int kFrames = kSeconds * 44100;
constexpr int kHostBlock = 512;

std::vector<float> interleave(const std::vector<float>& left, const std::vector<float>& right) {
    std::vector<float> v(2 * left.size());
    for (size_t i = 0; i < left.size(); ++i) {
        v[2 * i] = left[i];
        v[2 * i + 1] = right[i];
    }
    return v;
}

std::vector<float> musicLike() {
    return interleave(test_signals::musicLike(kFrames, 1), test_signals::musicLike(kFrames, 2));
}

// Low-level broadband material with a click every ~900 samples per channel:
// nearly every window needs the band-limited fill.
std::vector<float> denseCrackle() {
    auto left = test_signals::whiteNoise(kFrames, 0.003, 3);
    auto right = test_signals::whiteNoise(kFrames, 0.003, 4);
    for (int p = 1000; p < kFrames - 10; p += 900) {
        test_signals::addImpulse(left, p, 0.5);
        test_signals::addDampedClick(right, p + 450, -0.4);
    }
    return interleave(left, right);
}

std::vector<float> periodicWithClicks() {
    auto left = test_signals::sungVowel(kFrames, 367.5, 0.3, 5);
    auto right = test_signals::harmonicTone(kFrames, 441.0, 6, 0.2);
    for (int p = 1000; p < kFrames - 10; p += 1500) {
        test_signals::addDampedClick(left, p, 0.5);
        test_signals::addImpulse(right, p + 700, -0.4);
    }
    return interleave(left, right);
}

// A 41 ms scratch every 2 s on quiet noise: a rasp at the Nyquist frequency
// (every difference the same size, so it adds no peaks of its own but keeps
// the smoothed difference above the window's mean) with a sharp tick every
// 300 samples. Its region reaches past the window's end, so it is deferred
// again and again and cycles advance by only the click gap.
std::vector<float> longScratch() {
    auto left = test_signals::whiteNoise(kFrames, 0.001, 6);
    auto right = test_signals::whiteNoise(kFrames, 0.001, 7);
    const int length = 1800;
    for (int p = 20000; p + length < kFrames; p += 88200) {
        auto grain = test_signals::whiteNoise(length, 0.0001, static_cast<uint32_t>(p));
        for (int i = 0; i < length; ++i) {
            const float rasp = (i % 2 == 0 ? 0.03f : -0.03f) + grain[static_cast<size_t>(i)];
            const float tick = (i % 300 == 150) ? ((i / 300) % 2 ? 0.6f : -0.6f) : 0.0f;
            left[static_cast<size_t>(p + i)] += rasp + tick;
            right[static_cast<size_t>(p + i)] += 0.8f * (rasp + tick);
        }
    }
    return interleave(left, right);
}

// CPU time of this thread: on a shared machine wall-clock time per block
// mostly measures preemption.
double threadCpuMicroseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) * 1e-3;
}

void runEngine(benchmark::State& state, const std::vector<float>& material) {
    SelectPrimitiveClass();
    TQCStreamEngine engine(2048, 2);
    engine.detector().setSensitivity(0);
    engine.detector().setClickGap(32);
    std::vector<float> block(2 * kHostBlock);
    int64_t mostCycles = 0;
    double longestBlockUs = 0.0;
    for (auto _ : state) {
        for (int pos = 0; pos + kHostBlock <= kFrames; pos += kHostBlock) {
            std::copy(material.begin() + 2 * pos, material.begin() + 2 * (pos + kHostBlock), block.begin());
            const int64_t cyclesBefore = engine.cyclesRun();
            const double start = threadCpuMicroseconds();
            engine.process(kHostBlock * 8, block.data(), block.data());
            const double stop = threadCpuMicroseconds();
            mostCycles = std::max(mostCycles, engine.cyclesRun() - cyclesBefore);
            longestBlockUs = std::max(longestBlockUs, stop - start);
            benchmark::DoNotOptimize(block.data());
        }
    }
    state.counters["realtime_factor"] =
        benchmark::Counter(static_cast<double>(kSeconds), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["max_cycles_per_block"] = static_cast<double>(mostCycles);
    state.counters["max_block_cpu_us"] = longestBlockUs;
    // 512 frames at 44.1 kHz last 11610 us.
    state.counters["max_block_share"] = longestBlockUs / (kHostBlock * 1e6 / 44100.0);
}

void BM_MusicLikeClickFree(benchmark::State& state) {
    static const auto material = musicLike();
    runEngine(state, material);
}
void BM_DenseCrackleBandLimited(benchmark::State& state) {
    static const auto material = denseCrackle();
    runEngine(state, material);
}
void BM_PeriodicMaterialWithClicks(benchmark::State& state) {
    static const auto material = periodicWithClicks();
    runEngine(state, material);
}
void BM_LongBroadbandScratch(benchmark::State& state) {
    static const auto material = longScratch();
    runEngine(state, material);
}

BENCHMARK(BM_MusicLikeClickFree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseCrackleBandLimited)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeriodicMaterialWithClicks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongBroadbandScratch)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
