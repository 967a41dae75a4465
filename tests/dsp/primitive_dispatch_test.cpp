// Filling the entry-point slots by processor class, the fall-back walk, the
// failure message, and the entry points' jump through their slots.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "dsp/cpu_type.h"
#include "dsp/primitive_dispatch.h"
#include "dsp/primitives.h"
#include "dsp/tqc_real_fft.h"
#include "platform/error_message.h"

namespace {

// Distinct stand-in variants: variant v of a test slot returns 100 + v.
template <int kVariant>
std::int32_t Variant(const float*, float*, std::int32_t) {
    return 100 + kVariant;
}

constexpr PrimitiveCode Code(VectorUnaryCode code) { return PrimitiveCode{.unary = code}; }

constexpr PrimitiveCode kEmpty{.unary = nullptr};

// A table of three records over test-owned slots, so the process-wide slots
// are not disturbed.
struct TestTable {
    PrimitiveSlot slots[3] = {PrimitiveCode{.unary = &Variant<9>}, PrimitiveCode{.unary = &Variant<9>},
                              PrimitiveCode{.unary = &Variant<9>}};
    std::vector<PrimitiveDispatchRecord> records;

    TestTable() {
        for (PrimitiveSlot& slot : slots)
            records.push_back(
                {&slot, {Code(&Variant<0>), Code(&Variant<1>), Code(&Variant<2>), Code(&Variant<3>)}});
    }
    // Which class's variant each slot holds now (9 for the initial one).
    std::vector<int> held() {
        std::vector<int> out;
        for (PrimitiveSlot& slot : slots) out.push_back(slot.load().unary(nullptr, nullptr, 0) - 100);
        return out;
    }
    std::int32_t count() const { return static_cast<std::int32_t>(records.size()); }
};

struct CapturedMessage {
    int shown = 0;
    std::string caption;
    std::string text;
};
CapturedMessage g_message;

void CaptureMessage(const char* caption, const char* text) {
    ++g_message.shown;
    g_message.caption = caption;
    g_message.text = text;
}

class PrimitiveDispatch : public ::testing::Test {
protected:
    void SetUp() override { g_message = {}; }
};

TEST_F(PrimitiveDispatch, EachProcessorClassGetsItsOwnVariantsInEverySlot) {
    for (int processorClass = 0; processorClass < 4; ++processorClass) {
        TestTable table;
        EXPECT_EQ(
            SelectPrimitiveClassFrom(table.records.data(), table.count(), processorClass, &CaptureMessage),
            1);
        EXPECT_EQ(table.held(), std::vector<int>(3, processorClass));
    }
    EXPECT_EQ(g_message.shown, 0);
}

TEST_F(PrimitiveDispatch, ClassThreeWithAnEmptyEntryFallsBackToClassTwoEverywhere) {
    TestTable table;
    table.records[2].variants[3] = kEmpty;
    // Filling class 3 alone stops at the empty entry, keeping what it wrote.
    EXPECT_EQ(FillDispatchTableFrom(table.records.data(), table.count(), 3), 0);
    EXPECT_EQ(table.held(), (std::vector<int>{3, 3, 9}));

    EXPECT_EQ(SelectPrimitiveClassFrom(table.records.data(), table.count(), 3, &CaptureMessage), 1);
    EXPECT_EQ(table.held(), std::vector<int>(3, 2));
    EXPECT_EQ(g_message.shown, 0);
}

TEST_F(PrimitiveDispatch, FallBackWalksDownToClassZero) {
    TestTable table;
    for (int c = 1; c <= 3; ++c) table.records[1].variants[c] = kEmpty;
    EXPECT_EQ(SelectPrimitiveClassFrom(table.records.data(), table.count(), 3, &CaptureMessage), 1);
    EXPECT_EQ(table.held(), std::vector<int>(3, 0));
}

TEST_F(PrimitiveDispatch, FallBackNeverClimbsAboveTheProcessorClass) {
    TestTable table;
    table.records[0].variants[0] = kEmpty;
    EXPECT_EQ(SelectPrimitiveClassFrom(table.records.data(), table.count(), 0, &CaptureMessage), 0);
    EXPECT_EQ(table.held(), std::vector<int>(3, 9))
        << "class 1 variants must not be used on a class-0 processor";
}

TEST_F(PrimitiveDispatch, NoFittingClassShowsTheMessageAndKeepsTheSlots) {
    TestTable table;
    for (int c = 0; c < 4; ++c) table.records[0].variants[c] = kEmpty;
    EXPECT_EQ(SelectPrimitiveClassFrom(table.records.data(), table.count(), 2, &CaptureMessage), 0);
    EXPECT_EQ(g_message.shown, 1);
    EXPECT_EQ(g_message.caption, "Set DSP library error");
    EXPECT_EQ(g_message.text, " No DSP matching to examined CPU was found during the Vadorevaz procedure");
    EXPECT_EQ(table.held(), std::vector<int>(3, 9));
}

TEST_F(PrimitiveDispatch, EmptyTableOrUnknownClassShowsTheMessage) {
    TestTable table;
    EXPECT_EQ(SelectPrimitiveClassFrom(table.records.data(), 0, 1, &CaptureMessage), 0);
    EXPECT_EQ(SelectPrimitiveClassFrom(table.records.data(), table.count(), 4, &CaptureMessage), 0);
    EXPECT_EQ(g_message.shown, 2);
    EXPECT_EQ(FillDispatchTableFrom(table.records.data(), table.count(), -1), 0);
    EXPECT_EQ(FillDispatchTableFrom(table.records.data(), table.count(), 4), 0);
    EXPECT_EQ(table.held(), std::vector<int>(3, 9));
}

TEST_F(PrimitiveDispatch, RealTableIsCompleteAndTwoSelectionsStoreTheSameVariants) {
    ASSERT_EQ(PrimitiveDispatchTableCount, 13);
    for (std::int32_t i = 0; i < PrimitiveDispatchTableCount; ++i) {
        EXPECT_EQ(PrimitiveDispatchTable[i].slot, &g_primitiveSlots[i])
            << "record " << i << " is out of slot order";
        for (int c = 0; c < 4; ++c) EXPECT_FALSE(IsEmptyPrimitiveCode(PrimitiveDispatchTable[i].variants[c]));
    }
    const std::int32_t processorClass = CpuTypeToClass();
    ASSERT_EQ(SelectPrimitiveClassFrom(PrimitiveDispatchTable, PrimitiveDispatchTableCount, processorClass,
                                       &CaptureMessage),
              1);
    std::vector<std::uintptr_t> first;
    for (PrimitiveSlot& slot : g_primitiveSlots) first.push_back(std::bit_cast<std::uintptr_t>(slot.load()));
    ASSERT_EQ(SelectPrimitiveClassFrom(PrimitiveDispatchTable, PrimitiveDispatchTableCount, processorClass,
                                       &CaptureMessage),
              1);
    for (int i = 0; i < kPrimitiveSlotCount; ++i) {
        EXPECT_EQ(std::bit_cast<std::uintptr_t>(g_primitiveSlots[i].load()),
                  first[static_cast<std::size_t>(i)]);
        EXPECT_EQ(first[static_cast<std::size_t>(i)],
                  std::bit_cast<std::uintptr_t>(PrimitiveDispatchTable[i].variants[processorClass]));
    }
    EXPECT_EQ(g_message.shown, 0);

    // The production selection agrees and stays silent.
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(SelectPrimitiveClass(), 1);
    EXPECT_EQ(SelectPrimitiveClass(), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(PrimitiveDispatch, EveryClassComputesTheSameTransform) {
    // All 4 classes run here only where the processor has every instruction
    // set they were built for; the class of this processor and below always do.
    const std::int32_t top = CpuTypeToClass();
    std::vector<float> x(2048);
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = static_cast<float>((i * 7919) % 113) / 113.0f - 0.5f;
    std::vector<std::vector<float>> results;
    for (int c = 0; c <= top; ++c) {
        ASSERT_EQ(FillDispatchTable(c), 1);
        RealFftSpec* spec = nullptr;
        ASSERT_EQ(RealFftInitAlloc(&spec, 11, FftScaleInverse, 0), StatusOk);
        std::vector<float> spectrum(2048), back(2048);
        ASSERT_EQ(RealFftForward(x.data(), spectrum.data(), spec, nullptr), StatusOk);
        ASSERT_EQ(RealFftInverse(spectrum.data(), back.data(), spec, nullptr), StatusOk);
        EXPECT_EQ(RealFftFree(spec), StatusOk);
        for (std::size_t i = 0; i < x.size(); ++i) ASSERT_NEAR(back[i], x[i], 1e-5) << "class " << c;
        results.push_back(spectrum);
    }
    for (std::size_t c = 1; c < results.size(); ++c)
        for (std::size_t i = 0; i < x.size(); ++i) ASSERT_NEAR(results[c][i], results[0][i], 1e-3) << c;
    ASSERT_EQ(SelectPrimitiveClass(), 1);
}

// One instance selects while another transforms through the same slots; the
// transforms keep their results (the thread sanitizer checks the slot accesses).
TEST_F(PrimitiveDispatch, SelectionWhileAnotherThreadTransforms) {
    std::vector<float> x(2048);
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = static_cast<float>((i * 31) % 97) / 97.0f;
    std::atomic<bool> done{false};
    std::atomic<int> wrong{0};
    std::thread audio([&] {
        TQCRealFFT fft;
        std::vector<float> spectrum(2050), y(2048);
        for (int round = 0; round < 200; ++round) {
            fft.forward(x.data(), spectrum.data(), 2048);
            fft.inverse(spectrum.data(), y.data(), 2048);
            for (std::size_t i = 0; i < x.size(); ++i)
                if (std::fabs(y[i] - x[i]) > 1e-5f) ++wrong;
        }
        fft.freeSpec();
        done = true;
    });
    int selections = 0;
    while (!done || selections < 10) {
        EXPECT_EQ(SelectPrimitiveClassFrom(PrimitiveDispatchTable, PrimitiveDispatchTableCount,
                                           CpuTypeToClass(), &CaptureMessage),
                  1);
        ++selections;
    }
    audio.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(g_message.shown, 0);
}

std::int32_t g_stubCalls = 0;
std::int32_t StubCos(const float* src, float* dst, std::int32_t len) {
    ++g_stubCalls;
    return (src == nullptr && dst == nullptr) ? len : -1;
}

TEST_F(PrimitiveDispatch, EntryPointsJumpThroughTheirSlotWithoutChecks) {
    const PrimitiveCode saved = g_primitiveSlots[kSlotVectorCos].load();
    g_primitiveSlots[kSlotVectorCos].store(PrimitiveCode{.unary = &StubCos});
    // Null arrays and a zero length reach the variant untouched; its result comes back as is.
    EXPECT_EQ(VectorCos(nullptr, nullptr, 0), 0);
    EXPECT_EQ(VectorCos(nullptr, nullptr, -42), -42);
    EXPECT_EQ(g_stubCalls, 2);
    g_primitiveSlots[kSlotVectorCos].store(saved);
    EXPECT_EQ(VectorCos(nullptr, nullptr, 1), StatusNullPointer);
}

TEST(ErrorMessage, GoesToStandardErrorAsOneLineOffWindows) {
#if defined(_WIN32)
    GTEST_SKIP() << "shows a modal box on Windows";
#else
    ::testing::internal::CaptureStderr();
    ShowErrorMessage(kNoMatchingClassCaption, kNoMatchingClassText);
    EXPECT_EQ(
        ::testing::internal::GetCapturedStderr(),
        "Set DSP library error:  No DSP matching to examined CPU was found during the Vadorevaz procedure\n");
#endif
}

}  // namespace
