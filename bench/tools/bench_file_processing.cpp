// Whole-file throughput of the host with the bundled effect, per host block
// size: reading, de-interleaving, the effect, latency alignment, region
// tracking and writing. Counter "x_real_time" is audio seconds per second.
#include <benchmark/benchmark.h>

#include <sndfile.h>
#include <unistd.h>

#include <string>

#include "demo/demo_material.h"
#include "hosting/plugin_library.h"
#include "pipeline/file_processor.h"

namespace {

struct DemoFile {
    std::string folder;
    std::string input;
    std::string output;
    long long frames = 0;

    DemoFile() {
        char pattern[] = "/tmp/sarnovellite-bench-XXXXXX";
        folder = mkdtemp(pattern);
        input = folder + "/damaged.wav";
        output = folder + "/repaired.wav";
        const DemoMaterial material = makeDemoMaterial();
        SF_INFO info{};
        info.samplerate = DemoMaterial::kSampleRate;
        info.channels = DemoMaterial::kChannels;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* file = sf_open(input.c_str(), SFM_WRITE, &info);
        sf_writef_float(file, material.damaged.data(), material.frames());
        sf_close(file);
        frames = material.frames();
    }
    ~DemoFile() {
        unlink(input.c_str());
        unlink(output.c_str());
        rmdir(folder.c_str());
    }
};

void BM_ProcessFile(benchmark::State& state) {
    static DemoFile file;
    ProcessSettings settings;
    settings.plugin = PluginLibrary::open(SARNOVELLITE_PLUGIN_PATH);
    settings.blockSize = static_cast<int>(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(processFile(file.input, file.output, settings, [](double) {}));
    }
    const double audioSeconds = static_cast<double>(file.frames) / DemoMaterial::kSampleRate;
    state.counters["x_real_time"] =
        benchmark::Counter(audioSeconds * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ProcessFile)->Arg(1)->Arg(64)->Arg(512)->Arg(4097)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
