// RealFftSpec: the prepared real FFT for one length N = 2^order.
//
// Zero-filled when allocated, filled by RealFftInitAlloc, only read by the
// transforms, released by RealFftFree. Several threads may run transforms on
// one live spec at once. All tables are 32-byte aligned blocks from
// AlignedAlloc. For order 0..3 no table exists (all table pointers null).
//
// Table contents for order >= 4, M = N/2 complex points:
//   bitReverse    M/4 + 1 ints: the swap list of the bit-reversal permutation,
//                 built over the middle log2(M) - 2 index bits. An entry is either
//                 a pair (a + 1, r + 1) of distinct middle values with r the
//                 reverse of a, or a single -(a + 1) for a middle value equal to
//                 its own reverse; the list ends with 0.
//   twiddles      for i = 0..M/4 six floats: W^i, W^2i, W^3i as (re, im),
//                 W = exp(-2*pi*i/M).
//   forwardSplit  N/4 pairs (cos(t)/2, 1/2 - sin(t)/2), t = 2*pi*k/N.
//   inverseSplit  N/4 pairs (cos(t), -sin(t)).
//   largeTwiddles, largeLevels: tables of variants that split long complex
//                 transforms into sub-transforms; the variants built here compute
//                 every length in one piece and leave them null.
#pragma once

#include <cstdint>

constexpr std::int32_t kRealFftSpecLiveId = 6;
constexpr std::int32_t kRealFftMaxOrder = 30;

struct RealFftSpec {
    std::int32_t id;            // kRealFftSpecLiveId while live, 0 once released
    std::int32_t order;         // 0..30
    std::int32_t scaleForward;  // 1: forward result multiplied by factor
    std::int32_t scaleInverse;  // 1: inverse result multiplied by factor
    float factor;               // 1/N or 1/sqrt(N), rounded once to float; 0 for no scaling
    std::int32_t hint;          // caller's algorithm hint, stored only
    std::int32_t workSize;      // scratch bytes one transform needs, 0 for none
    std::int32_t ownsMemory;    // 1: RealFftFree returns the record and tables to the heap
    std::int32_t* bitReverse;
    float* twiddles;
    float* largeTwiddles;
    std::int32_t* largeLevels;
    float* forwardSplit;
    float* inverseSplit;
};
