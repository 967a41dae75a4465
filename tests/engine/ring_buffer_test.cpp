#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <random>
#include <vector>

#include "engine/tqc_ring_buffer.h"

namespace {

std::vector<uint8_t> bytes(int n, uint8_t first) {
    std::vector<uint8_t> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = static_cast<uint8_t>(first + i);
    return v;
}

void expectState(const TQCRingBuffer& ring, int fill, int readPos, int writePos) {
    EXPECT_EQ(ring.fillBytes(), fill);
    EXPECT_EQ(ring.readPosition(), readPos);
    EXPECT_EQ(ring.writePosition(), writePos);
}

TEST(RingBuffer, ZeroByteTransfersSucceedAndChangeNothing) {
    TQCRingBuffer ring(16);
    auto data = bytes(5, 1);
    ASSERT_TRUE(ring.write(data.data(), 5));
    EXPECT_TRUE(ring.write(nullptr, 0));
    EXPECT_TRUE(ring.read(nullptr, 0));
    expectState(ring, 5, 0, 5);
}

TEST(RingBuffer, FullCapacityWriteAndReadWrapBothPositionsToZero) {
    TQCRingBuffer ring(32);
    auto data = bytes(32, 7);
    ASSERT_TRUE(ring.write(data.data(), 32));
    expectState(ring, 32, 0, 0);
    std::vector<uint8_t> out(32);
    ASSERT_TRUE(ring.read(out.data(), 32));
    EXPECT_EQ(out, data);
    expectState(ring, 0, 0, 0);
}

TEST(RingBuffer, WriteEndingAtStorageEndLeavesWritePosAtZero) {
    TQCRingBuffer ring(16);
    auto data = bytes(16, 0);
    std::vector<uint8_t> out(16);
    ASSERT_TRUE(ring.write(data.data(), 10));
    ASSERT_TRUE(ring.read(out.data(), 10));
    ASSERT_TRUE(ring.write(data.data(), 6));
    expectState(ring, 6, 10, 0);
}

TEST(RingBuffer, DataAcrossTheWrapPointComesBackInOrder) {
    TQCRingBuffer ring(16);
    std::vector<uint8_t> out(16);
    auto filler = bytes(12, 0);
    ASSERT_TRUE(ring.write(filler.data(), 12));
    ASSERT_TRUE(ring.read(out.data(), 12));  // writePos = capacity - 4
    auto data = bytes(10, 100);
    ASSERT_TRUE(ring.write(data.data(), 10));
    expectState(ring, 10, 12, 6);
    std::vector<uint8_t> back(10);
    ASSERT_TRUE(ring.read(back.data(), 10));
    EXPECT_EQ(back, data);
    expectState(ring, 0, 6, 6);
}

TEST(RingBuffer, ReadBeyondFillFailsUntouchedExactFillEmpties) {
    TQCRingBuffer ring(16);
    auto data = bytes(7, 3);
    ASSERT_TRUE(ring.write(data.data(), 7));
    std::vector<uint8_t> out(8, 0xEE);
    EXPECT_FALSE(ring.read(out.data(), 8));
    EXPECT_EQ(out, std::vector<uint8_t>(8, 0xEE));
    expectState(ring, 7, 0, 7);
    EXPECT_TRUE(ring.read(out.data(), 7));
    expectState(ring, 0, 7, 7);
}

TEST(RingBuffer, OversizedAndNegativeWritesFailEvenWhenEmpty) {
    TQCRingBuffer ring(16);
    auto data = bytes(17, 0);
    EXPECT_FALSE(ring.write(data.data(), 17));
    EXPECT_FALSE(ring.write(data.data(), -1));
    std::vector<uint8_t> out(4);
    EXPECT_FALSE(ring.read(out.data(), -4));
    expectState(ring, 0, 0, 0);
}

TEST(RingBuffer, WriteBeyondFreeSpaceIsRefusedAndNothingIsOverwritten) {
    TQCRingBuffer ring(16);
    auto first = bytes(12, 1);
    auto second = bytes(5, 50);
    ASSERT_TRUE(ring.write(first.data(), 12));
    EXPECT_FALSE(ring.write(second.data(), 5));
    expectState(ring, 12, 0, 12);
    EXPECT_TRUE(ring.write(second.data(), 4));  // exactly fits
    std::vector<uint8_t> out(16);
    ASSERT_TRUE(ring.read(out.data(), 16));
    std::vector<uint8_t> expected(first);
    expected.insert(expected.end(), second.begin(), second.begin() + 4);
    EXPECT_EQ(out, expected);
}

TEST(RingBuffer, ClearEmptiesWhateverWasHeld) {
    TQCRingBuffer ring(16);
    auto data = bytes(11, 9);
    std::vector<uint8_t> out(16);
    ASSERT_TRUE(ring.write(data.data(), 11));
    ASSERT_TRUE(ring.read(out.data(), 3));
    ring.clear();
    expectState(ring, 0, 0, 0);
    EXPECT_FALSE(ring.read(out.data(), 1));
}

// Random transfers against a plain byte queue: same accept/refuse decisions,
// same bytes, positions consistent with the fill.
TEST(RingBuffer, MatchesAPlainQueueOverRandomTransfers) {
    std::mt19937 rng(12345);
    for (int capacity : {1, 7, 64, 1000}) {
        TQCRingBuffer ring(capacity);
        std::deque<uint8_t> model;
        uint8_t next = 0;
        for (int step = 0; step < 5000; ++step) {
            const int count = static_cast<int>(rng() % static_cast<unsigned>(capacity + 3)) - 1;
            if (rng() % 2 == 0) {
                std::vector<uint8_t> data(static_cast<size_t>(count > 0 ? count : 0));
                for (auto& b : data) b = next++;
                const bool fits = count >= 0 && count <= capacity - static_cast<int>(model.size());
                ASSERT_EQ(ring.write(data.data(), count), fits);
                if (fits) model.insert(model.end(), data.begin(), data.end());
            } else {
                std::vector<uint8_t> out(static_cast<size_t>(count > 0 ? count : 0));
                const bool available = count >= 0 && count <= static_cast<int>(model.size());
                ASSERT_EQ(ring.read(out.data(), count), available);
                if (available) {
                    for (int i = 0; i < count; ++i) {
                        ASSERT_EQ(out[static_cast<size_t>(i)], model.front());
                        model.pop_front();
                    }
                }
            }
            ASSERT_EQ(ring.fillBytes(), static_cast<int>(model.size()));
            ASSERT_EQ(ring.writePosition(), (ring.readPosition() + ring.fillBytes()) % capacity);
        }
    }
}

}  // namespace
