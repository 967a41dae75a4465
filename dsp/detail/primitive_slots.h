// The 13 process-wide entry-point slots, one per primitive, in table order.
//
// Each slot holds the code address of the selected class's variant. They start
// with the class-0 variants (constant-initialised, so the entry points work
// before and without any selection). Selection may store into them while
// another instance calls through them: every access is a relaxed atomic load or
// store of one machine word, and every selection stores the same values.
#pragma once

#include <atomic>
#include <cstdint>

#include "dsp/detail/primitive_signatures.h"

enum PrimitiveSlotIndex : std::int32_t {
    kSlotRealFftInitAlloc = 0,
    kSlotRealFftFree = 1,
    kSlotRealFftForwardInPlace = 2,
    kSlotRealFftForward = 3,
    kSlotRealFftInverseInPlace = 4,
    kSlotRealFftInverse = 5,
    kSlotComplexPhase = 6,
    kSlotComplexMagnitude = 7,
    kSlotPolarToComplex = 8,
    kSlotPolarToSplit = 9,
    kSlotVectorAtan2 = 10,
    kSlotVectorCos = 11,
    kSlotVectorSin = 12,
    kPrimitiveSlotCount = 13,
};

using PrimitiveSlot = std::atomic<PrimitiveCode>;
static_assert(PrimitiveSlot::is_always_lock_free);

extern PrimitiveSlot g_primitiveSlots[kPrimitiveSlotCount];
