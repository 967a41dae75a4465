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
#include "engine_materials.h"

namespace {

using engine_materials::kFrames;
using engine_materials::kSeconds;
constexpr int kHostBlock = 512;

// CPU time of this thread: on a shared machine wall-clock time per block
// mostly measures preemption.
double threadCpuMicroseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) * 1e-3;
}

struct WorstBlock {
    int64_t mostCycles = 0;
    double longestUs = 0.0;
};

// One pass over the material on a fresh engine, timing every host block on
// its own. Kept out of the timed loop: reading the thread's CPU clock is a
// system call, and two per block would add a visible share to the total.
WorstBlock measureBlocks(const std::vector<float>& material) {
    TQCStreamEngine engine(2048, 2);
    engine.detector().setSensitivity(0);
    engine.detector().setClickGap(32);
    std::vector<float> block(2 * kHostBlock);
    WorstBlock worst;
    for (int pos = 0; pos + kHostBlock <= kFrames; pos += kHostBlock) {
        std::copy(material.begin() + 2 * pos, material.begin() + 2 * (pos + kHostBlock), block.begin());
        const int64_t cyclesBefore = engine.cyclesRun();
        const double start = threadCpuMicroseconds();
        engine.process(kHostBlock * 8, block.data(), block.data());
        const double stop = threadCpuMicroseconds();
        worst.mostCycles = std::max(worst.mostCycles, engine.cyclesRun() - cyclesBefore);
        worst.longestUs = std::max(worst.longestUs, stop - start);
    }
    return worst;
}

void runEngine(benchmark::State& state, const std::vector<float>& material) {
    SelectPrimitiveClass();
    TQCStreamEngine engine(2048, 2);
    engine.detector().setSensitivity(0);
    engine.detector().setClickGap(32);
    std::vector<float> block(2 * kHostBlock);
    for (auto _ : state) {
        for (int pos = 0; pos + kHostBlock <= kFrames; pos += kHostBlock) {
            std::copy(material.begin() + 2 * pos, material.begin() + 2 * (pos + kHostBlock), block.begin());
            engine.process(kHostBlock * 8, block.data(), block.data());
            benchmark::DoNotOptimize(block.data());
        }
    }
    const WorstBlock worst = measureBlocks(material);
    state.counters["realtime_factor"] =
        benchmark::Counter(static_cast<double>(kSeconds), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["max_cycles_per_block"] = static_cast<double>(worst.mostCycles);
    state.counters["max_block_cpu_us"] = worst.longestUs;
    // 512 frames at 44.1 kHz last 11610 us.
    state.counters["max_block_share"] = worst.longestUs / (kHostBlock * 1e6 / 44100.0);
}

void BM_MusicLikeClickFree(benchmark::State& state) {
    static const auto material = engine_materials::musicLike();
    runEngine(state, material);
}
void BM_DenseCrackleBandLimited(benchmark::State& state) {
    static const auto material = engine_materials::denseCrackle();
    runEngine(state, material);
}
void BM_PeriodicMaterialWithClicks(benchmark::State& state) {
    static const auto material = engine_materials::periodicWithClicks();
    runEngine(state, material);
}
void BM_LongBroadbandScratch(benchmark::State& state) {
    static const auto material = engine_materials::longScratch();
    runEngine(state, material);
}

BENCHMARK(BM_MusicLikeClickFree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseCrackleBandLimited)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeriodicMaterialWithClicks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongBroadbandScratch)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
