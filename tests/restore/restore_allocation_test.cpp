// Counts heap allocations on the restore engine's audio path, from the first
// block on: process(), settings changes between blocks and reset(). Replaces
// the global allocation functions and, through the linker's --wrap, the C
// allocation calls, so it is a Linux-only binary.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "restore/restore_engine.h"
#include "restore_material.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void count() {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
}

void* allocate(std::size_t size, std::size_t alignment = 0) {
    count();
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
void* __real_calloc(std::size_t n, std::size_t size);
void* __real_realloc(void* p, std::size_t size);
int __real_posix_memalign(void** p, std::size_t alignment, std::size_t size);
void* __real_aligned_alloc(std::size_t alignment, std::size_t size);
void* __wrap_malloc(std::size_t size) { return count(), __real_malloc(size); }
void* __wrap_calloc(std::size_t n, std::size_t size) { return count(), __real_calloc(n, size); }
void* __wrap_realloc(void* p, std::size_t size) { return count(), __real_realloc(p, size); }
int __wrap_posix_memalign(void** p, std::size_t a, std::size_t size) {
    return count(), __real_posix_memalign(p, a, size);
}
void* __wrap_aligned_alloc(std::size_t a, std::size_t size) { return count(), __real_aligned_alloc(a, size); }
}

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, std::align_val_t a) {
    return allocate(size, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t size, std::align_val_t a) {
    return allocate(size, static_cast<std::size_t>(a));
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

// Damaged stereo that takes every path: short and long repairs, crackle,
// refits, settings changes and a reset, in slices of changing length.
TEST(RestoreAllocations, NoneOnTheAudioPathFromTheFirstBlock) {
    for (double rate : {44100.0, 192000.0}) {
        const int frames = static_cast<int>(2.0 * rate);
        auto left = restore_material::pluckedMusic(frames, rate, 1);
        auto right = restore_material::pluckedMusic(frames, rate, 2);
        restore_material::addClicks(left, rate, 500, static_cast<int>(0.013 * rate), 3);
        restore_material::addClicks(right, rate, 900, static_cast<int>(0.019 * rate), 4);
        for (int p = static_cast<int>(0.3 * rate); p + static_cast<int>(0.02 * rate) < frames;
             p += static_cast<int>(0.25 * rate))
            for (int i = 0; i < static_cast<int>(0.012 * rate); ++i)
                left[static_cast<size_t>(p + i)] += 0.3f * ((i * 7919) % 13 - 6) / 6.0f;
        allocations.store(0);
        counting.store(true);
        auto engine = std::make_unique<RestoreEngine>(rate, 2);
        counting.store(false);
        EXPECT_GT(allocations.load(), 0) << "the counter does not see the engine's allocations";
        std::vector<float> outLeft(4096), outRight(4096);
        allocations.store(0);
        counting.store(true);
        RestoreSettings settings;
        for (int pos = 0, n = 1, k = 0; pos < frames; pos += n, n = 1 + (n * 37 + 11) % 4096, ++k) {
            const int slice = std::min(n, frames - pos);
            const float* in[2] = {left.data() + pos, right.data() + pos};
            float* out[2] = {outLeft.data(), outRight.data()};
            engine->process(in, out, slice);
            if (k % 50 == 49) {
                settings.crackle = !settings.crackle;
                settings.threshold = settings.crackle ? 5.0f : 9.0f;
                engine->setSettings(settings);
            }
            if (k == 300) engine->reset();
        }
        counting.store(false);
        EXPECT_EQ(allocations.load(), 0) << rate;
        EXPECT_GT(engine->regionsRepaired(), 0) << rate;
    }
}

}  // namespace
