// Counts heap allocations made on the audio path, from the very first block:
// the engine's process, the effect's processReplacing, the restore effect's
// processReplacing with its settings changing between blocks and, where the
// LV2 side is built, every LV2 plug-in's run (the bundle's code linked in
// statically, driven through its descriptors as a host drives the binary). This binary
// replaces the global allocation functions and, through the linker's --wrap,
// the C allocation calls made by the statically linked libraries (the
// transform layer allocates with malloc), so it stays a Linux-only test.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "dsp/primitive_dispatch.h"
#include "vst2/effects/sarnovellite_restore.h"
#include "vst2/effects/zovoridureri.h"
#include "engine/tqc_stream_engine.h"
#include "test_signals.h"
#ifdef SARNOVELLITE_HAVE_LV2
#include "lv2/bundle_descriptors.h"
#include "lv2/bundle_plugins.h"
#endif

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void* allocate(std::size_t size, std::size_t alignment = 0) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
    if (size == 0) size = 1;
    void* p = nullptr;
    if (alignment > alignof(std::max_align_t)) {
        if (posix_memalign(&p, alignment, size) != 0) p = nullptr;
    } else {
        p = std::malloc(size);
    }
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
}  // namespace

extern "C" {
void* __real_malloc(std::size_t size);
void* __real_calloc(std::size_t count, std::size_t size);
void* __real_realloc(void* p, std::size_t size);
int __real_posix_memalign(void** p, std::size_t alignment, std::size_t size);
void* __real_aligned_alloc(std::size_t alignment, std::size_t size);

void* __wrap_malloc(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
    return __real_malloc(size);
}
void* __wrap_calloc(std::size_t count, std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
    return __real_calloc(count, size);
}
void* __wrap_realloc(void* p, std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
    return __real_realloc(p, size);
}
int __wrap_posix_memalign(void** p, std::size_t alignment, std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
    return __real_posix_memalign(p, alignment, size);
}
void* __wrap_aligned_alloc(std::size_t alignment, std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
    return __real_aligned_alloc(alignment, size);
}
}

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, std::align_val_t a) {
    return allocate(size, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t size, std::align_val_t a) {
    return allocate(size, static_cast<std::size_t>(a));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

namespace {

// Material that takes every path: periodic repair, band-limited fill,
// deferral of long bursts, and plain windows.
std::vector<float> demandingStereo(int frames) {
    auto left = test_signals::sungVowel(frames, 367.5, 0.3, 1);
    auto right = test_signals::whiteNoise(frames, 0.003, 2);
    for (int p = 3000; p < frames - 3000; p += 1100) {
        test_signals::addDampedClick(left, p, 0.6);
        test_signals::addImpulse(right, p + 300, -0.5);
        if (p % 5 == 0) test_signals::addRingingBurst(right, p + 500, 0.4, 3000.0, 2000);
    }
    std::vector<float> v(static_cast<size_t>(2 * frames));
    for (int i = 0; i < frames; ++i) {
        v[static_cast<size_t>(2 * i)] = left[static_cast<size_t>(i)];
        v[static_cast<size_t>(2 * i + 1)] = right[static_cast<size_t>(i)];
    }
    return v;
}

long allocationsWhileProcessing(TQCStreamEngine& engine, std::vector<float>& signal, int from, int to) {
    std::vector<float> slice(2 * 2048);
    allocations.store(0);
    counting.store(true);
    for (int pos = from, n = 1; pos < to; pos += n, n = 1 + (n * 37 + 11) % 2048) {
        const int frames = std::min(n, to - pos);
        std::copy(signal.begin() + 2 * pos, signal.begin() + 2 * (pos + frames), slice.begin());
        engine.process(frames * 8, slice.data(), slice.data());
    }
    counting.store(false);
    return allocations.load();
}

std::unique_ptr<TQCStreamEngine> engineCountingItsConstruction() {
    allocations.store(0);
    counting.store(true);
    auto engine = std::make_unique<TQCStreamEngine>(2048, 2);
    counting.store(false);
    EXPECT_GT(allocations.load(), 0) << "the counter does not see the engine's allocations";
    return engine;
}

void expectNoAllocationFromTheFirstBlock() {
    auto engine = engineCountingItsConstruction();
    engine->detector().setSensitivity(2);
    engine->detector().setClickGap(32);
    auto signal = demandingStereo(400000);
    EXPECT_EQ(allocationsWhileProcessing(*engine, signal, 0, 400000), 0);
}

TEST(EngineAllocations, NoneOnTheAudioPathWithTheDefaultPrimitives) { expectNoAllocationFromTheFirstBlock(); }

// The plug-in selects the processor-class variants before processing.
TEST(EngineAllocations, NoneOnTheAudioPathWithTheSelectedPrimitives) {
    SelectPrimitiveClass();
    expectNoAllocationFromTheFirstBlock();
}

VstIntPtr VSTCALLBACK versionHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// As a host drives the effect: set up, switch on, then blocks of clicked audio
// on the real-time thread. Nothing may be allocated from the first block on.
TEST(EngineAllocations, NoneInTheEffectFromTheFirstBlockAfterSwitchingOn) {
    AEffect* effect = (new ZOVOridureri(versionHost))->getAeffect();
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect->dispatcher(effect, effSetBlockSize, 0, 1024, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    effect->setParameter(effect, 0, 0.5f);
    const auto signal = demandingStereo(100000);
    std::vector<float> left(1024), right(1024), outLeft(1024), outRight(1024);
    float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    allocations.store(0);
    long repairedSamples = 0;  // shows that the transforms ran
    for (int pos = 0; pos + 1024 <= 100000; pos += 1024) {
        for (int i = 0; i < 1024; ++i) {
            left[static_cast<size_t>(i)] = signal[static_cast<size_t>(2 * (pos + i))];
            right[static_cast<size_t>(i)] = signal[static_cast<size_t>(2 * (pos + i) + 1)];
        }
        counting.store(true);
        effect->processReplacing(effect, inputs, outputs, 1024);
        counting.store(false);
        for (int i = 0; i < 1024 && pos + i >= 2048; ++i)
            repairedSamples +=
                outLeft[static_cast<size_t>(i)] != signal[static_cast<size_t>(2 * (pos + i - 2048))];
    }
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_GT(repairedSamples, 0);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

// The restore effect as a host drives it: the rate set and the effect
// switched on (both may allocate), then blocks of every length on the audio
// thread while the settings change between them, a switch off and on in the
// middle, and both outputs. Nothing may be allocated from the first block on.
TEST(EngineAllocations, NoneInTheRestoreEffectFromTheFirstBlockAfterSwitchingOn) {
    AEffect* effect = (new SarnovelliteRestore(versionHost))->getAeffect();
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    effect->dispatcher(effect, effSetBlockSize, 0, 4096, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    const int frames = 200000;
    const auto signal = demandingStereo(frames);
    const std::size_t delay = static_cast<std::size_t>(effect->initialDelay);
    std::vector<float> left(4096), right(4096), outLeft(4096), outRight(4096);
    float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    allocations.store(0);
    long changedSamples = 0;  // shows that repairs ran
    int block = 0;
    for (int pos = 0, n = 1; pos < frames; pos += n, n = 1 + (n * 37 + 11) % 4096, ++block) {
        n = std::min(n, frames - pos);
        for (int i = 0; i < n; ++i) {
            left[static_cast<size_t>(i)] = signal[static_cast<size_t>(2 * (pos + i))];
            right[static_cast<size_t>(i)] = signal[static_cast<size_t>(2 * (pos + i) + 1)];
        }
        counting.store(true);
        effect->setParameter(effect, block % 5, static_cast<float>(block % 7) / 6.0f);
        if (block == 40) {
            effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
            effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
        }
        effect->processReplacing(effect, inputs, outputs, n);
        counting.store(false);
        for (int i = 0; i < n; ++i) {
            const std::size_t at = static_cast<std::size_t>(pos + i);
            if (at >= delay) changedSamples += outLeft[static_cast<size_t>(i)] != signal[2 * (at - delay)];
        }
    }
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_GT(changedSamples, 0);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

#ifdef SARNOVELLITE_HAVE_LV2
// Every plug-in of the bundle: instantiate, connect, activate, then runs of
// varying length with a control changed on the way; the audio ports are
// connected anew before every run. Nothing may be allocated from the first
// run on, connect_port included.
TEST(EngineAllocations, NoneInTheLv2PluginsFromTheFirstRunAfterActivating) {
    using namespace sarnovellite::lv2;
    for (std::uint32_t p = 0; p < kBundlePlugins.size(); ++p) {
        const PluginDescription& plugin = *kBundlePlugins[p];
        SCOPED_TRACE(std::string(plugin.uri));
        const LV2_Descriptor* d = bundleDescriptor(p);
        ASSERT_NE(d, nullptr);
        LV2_Handle h = d->instantiate(d, 44100.0, "/nonexistent/", nullptr);
        ASSERT_NE(h, nullptr);
        std::vector<float> controls;
        for (std::uint32_t port = kFirstControlPort; port < portCount(plugin); ++port)
            controls.push_back(
                static_cast<float>(sarnovellite::effect::shownDefault(*controlInfo(plugin, port))));
        float latency = -1.0f;
        d->connect_port(h, kLatencyPort, &latency);
        for (std::uint32_t c = 0; c < controls.size(); ++c)
            d->connect_port(h, kFirstControlPort + c, controls.data() + c);
        d->activate(h);
        const auto signal = demandingStereo(100000);
        std::vector<float> left(4096), right(4096), outLeft(4096), outRight(4096);
        allocations.store(0);
        long changed = 0;  // shows that the repairs ran
        int pos = 0;
        for (std::uint32_t n = 1; pos + 4096 <= 100000;
             pos += static_cast<int>(n), n = 1 + (n * 37 + 11) % 4096) {
            for (std::uint32_t i = 0; i < n; ++i) {
                left[i] = signal[static_cast<size_t>(2 * (pos + static_cast<int>(i)))];
                right[i] = signal[static_cast<size_t>(2 * (pos + static_cast<int>(i)) + 1)];
            }
            if (pos > 50000 && !controls.empty())
                controls.back() = static_cast<float>(shownMaximum(*controlInfo(
                    plugin, kFirstControlPort + static_cast<std::uint32_t>(controls.size()) - 1)));
            counting.store(true);
            d->connect_port(h, kInputLeftPort, left.data());
            d->connect_port(h, kInputRightPort, right.data());
            d->connect_port(h, kOutputLeftPort, outLeft.data());
            d->connect_port(h, kOutputRightPort, outRight.data());
            d->run(h, n);
            counting.store(false);
            const int lag = static_cast<int>(latency);
            for (std::uint32_t i = 0; i < n; ++i) {
                const int source = pos + static_cast<int>(i) - lag;
                if (source >= 0) changed += outLeft[i] != signal[static_cast<size_t>(2 * source)];
            }
        }
        EXPECT_EQ(allocations.load(), 0);
        EXPECT_GT(latency, 0.0f);
        EXPECT_GT(changed, 0);
        d->deactivate(h);
        d->cleanup(h);
    }
}
#endif

}  // namespace
