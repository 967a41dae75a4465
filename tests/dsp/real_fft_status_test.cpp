// Status results of the real FFT primitives, the spec record they build, and
// the aligned heap blocks under it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "dsp/aligned_memory.h"
#include "dsp/primitives.h"

namespace {

RealFftSpec* const kUnwritten = reinterpret_cast<RealFftSpec*>(std::uintptr_t(0x5a5a5a50));

bool IsAligned32(const void* p) { return reinterpret_cast<std::uintptr_t>(p) % 32 == 0; }

TEST(RealFftStatus, InitAllocRejectsBadArgumentsWithoutWritingOut) {
    RealFftSpec* out = kUnwritten;
    EXPECT_EQ(RealFftInitAlloc(&out, -1, FftScaleInverse, 0), StatusFftOrderError);
    EXPECT_EQ(RealFftInitAlloc(&out, 31, FftScaleInverse, 0), StatusFftOrderError);
    // Every flag that is not exactly one of the four; the record allocated
    // before the flag check must not leak (checked by the leak sanitizer).
    for (std::int32_t flag : {0, 3, 5, 16, -1})
        for (int order : {0, 3, 4, 11}) EXPECT_EQ(RealFftInitAlloc(&out, order, flag, 0), StatusFftFlagError);
    EXPECT_EQ(out, kUnwritten);
    EXPECT_EQ(RealFftInitAlloc(nullptr, 4, FftScaleInverse, 0), StatusNullPointer);
}

TEST(RealFftStatus, SpecRecordCarriesOrderScalingHintAndTables) {
    struct Case {
        std::int32_t flag;
        std::int32_t scaleForward, scaleInverse;
        double factor;  // for N = 1024
    };
    for (const Case& c : {Case{FftScaleForward, 1, 0, 1.0 / 1024}, Case{FftScaleInverse, 0, 1, 1.0 / 1024},
                          Case{FftScaleSqrt, 1, 1, 1.0 / 32}, Case{FftNoScale, 0, 0, 0.0}}) {
        RealFftSpec* spec = nullptr;
        ASSERT_EQ(RealFftInitAlloc(&spec, 10, c.flag, 7), StatusOk);
        EXPECT_EQ(spec->id, 6);
        EXPECT_EQ(spec->order, 10);
        EXPECT_EQ(spec->scaleForward, c.scaleForward);
        EXPECT_EQ(spec->scaleInverse, c.scaleInverse);
        EXPECT_EQ(spec->factor, static_cast<float>(c.factor));
        EXPECT_EQ(spec->hint, 7);
        EXPECT_EQ(spec->workSize, 0);
        EXPECT_EQ(spec->ownsMemory, 1);
        EXPECT_TRUE(IsAligned32(spec));
        for (const void* table :
             {static_cast<const void*>(spec->bitReverse), static_cast<const void*>(spec->twiddles),
              static_cast<const void*>(spec->forwardSplit), static_cast<const void*>(spec->inverseSplit)}) {
            ASSERT_NE(table, nullptr);
            EXPECT_TRUE(IsAligned32(table));
        }
        EXPECT_EQ(RealFftFree(spec), StatusOk);
    }
    // 1/sqrt(N) for an odd order is rounded once from the exact value.
    RealFftSpec* spec = nullptr;
    ASSERT_EQ(RealFftInitAlloc(&spec, 11, FftScaleSqrt, 0), StatusOk);
    EXPECT_EQ(spec->factor, static_cast<float>(1.0 / std::sqrt(2048.0)));
    RealFftFree(spec);
}

TEST(RealFftStatus, SmallOrdersBuildNoTables) {
    for (int order = 0; order <= 3; ++order) {
        RealFftSpec* spec = nullptr;
        ASSERT_EQ(RealFftInitAlloc(&spec, order, FftNoScale, 0), StatusOk);
        EXPECT_EQ(spec->bitReverse, nullptr);
        EXPECT_EQ(spec->twiddles, nullptr);
        EXPECT_EQ(spec->forwardSplit, nullptr);
        EXPECT_EQ(spec->inverseSplit, nullptr);
        EXPECT_EQ(spec->workSize, 0);
        RealFftFree(spec);
    }
}

TEST(RealFftStatus, TransformsCheckSpecThenArrays) {
    RealFftSpec* spec = nullptr;
    ASSERT_EQ(RealFftInitAlloc(&spec, 5, FftNoScale, 0), StatusOk);
    std::vector<float> src(32, 1.0f), dst(32, -3.0f);
    const std::vector<float> untouched = dst;

    EXPECT_EQ(RealFftForward(src.data(), dst.data(), nullptr, nullptr), StatusNullPointer);
    EXPECT_EQ(RealFftInverse(src.data(), dst.data(), nullptr, nullptr), StatusNullPointer);
    EXPECT_EQ(RealFftForward(nullptr, dst.data(), spec, nullptr), StatusNullPointer);
    EXPECT_EQ(RealFftInverse(src.data(), nullptr, spec, nullptr), StatusNullPointer);
    EXPECT_EQ(RealFftForwardInPlace(nullptr, spec, nullptr), StatusNullPointer);
    EXPECT_EQ(RealFftInverseInPlace(nullptr, spec, nullptr), StatusNullPointer);

    // A record that is not live is refused before the arrays are looked at.
    RealFftSpec dead = *spec;
    dead.id = 0;
    EXPECT_EQ(RealFftForward(nullptr, nullptr, &dead, nullptr), StatusContextMismatch);
    EXPECT_EQ(RealFftInverse(src.data(), dst.data(), &dead, nullptr), StatusContextMismatch);
    EXPECT_EQ(RealFftForwardInPlace(dst.data(), &dead, nullptr), StatusContextMismatch);
    EXPECT_EQ(RealFftInverseInPlace(dst.data(), &dead, nullptr), StatusContextMismatch);
    EXPECT_EQ(dst, untouched);
    EXPECT_EQ(RealFftFree(spec), StatusOk);
}

TEST(RealFftStatus, FreeRefusesNullAndRecordsThatAreNotLive) {
    EXPECT_EQ(RealFftFree(nullptr), StatusNullPointer);
    RealFftSpec foreign{};
    foreign.id = 5;
    foreign.ownsMemory = 1;
    foreign.twiddles = reinterpret_cast<float*>(std::uintptr_t(0x40));  // would crash if freed
    EXPECT_EQ(RealFftFree(&foreign), StatusContextMismatch);
    EXPECT_EQ(foreign.id, 5);

    // A record that does not own its memory is marked released and nothing is freed.
    RealFftSpec borrowed{};
    borrowed.id = 6;
    borrowed.twiddles = reinterpret_cast<float*>(std::uintptr_t(0x40));
    EXPECT_EQ(RealFftFree(&borrowed), StatusOk);
    EXPECT_EQ(borrowed.id, 0);
}

TEST(AlignedMemory, ReturnsWritableAlignedBlocksAndNullForEmptySizes) {
    EXPECT_EQ(AlignedAlloc(0), nullptr);
    EXPECT_EQ(AlignedAlloc(-16), nullptr);
    AlignedFree(nullptr);
    std::vector<void*> blocks;
    for (std::int64_t size : {1, 3, 16, 31, 32, 33, 100, 4096, 65537}) {
        void* p = AlignedAlloc(size);
        ASSERT_NE(p, nullptr);
        EXPECT_TRUE(IsAligned32(p)) << size;
        std::memset(p, 0xAB,
                    static_cast<std::size_t>(size));  // the whole block is ours (ASan checks the ends)
        blocks.push_back(p);
    }
    for (void* p : blocks) AlignedFree(p);
}

// On 32-bit builds the largest tables (order 30) exceed what a heap request can
// express; the request must fail instead of wrapping to a small block.
TEST(AlignedMemory, RefusesSizesTheHeapCannotBeAskedFor) {
    if constexpr (sizeof(void*) == 4) {
        EXPECT_EQ(AlignedAlloc(std::int64_t(1) << 32), nullptr);
        EXPECT_EQ(AlignedAlloc(std::int64_t(0xFFFFFFF0)), nullptr);
    } else {
        GTEST_SKIP() << "every table size fits a 64-bit heap request";
    }
}

}  // namespace
