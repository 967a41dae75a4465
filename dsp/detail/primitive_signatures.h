// Code-pointer types of the primitives and the slot word that holds one of them.
#pragma once

#include <bit>
#include <cstdint>

#include "dsp/real_fft_spec.h"

using RealFftInitAllocCode = std::int32_t (*)(RealFftSpec**, std::int32_t, std::int32_t, std::int32_t);
using RealFftFreeCode = std::int32_t (*)(RealFftSpec*);
using RealFftInPlaceCode = std::int32_t (*)(float*, const RealFftSpec*, std::uint8_t*);
using RealFftOutOfPlaceCode = std::int32_t (*)(const float*, float*, const RealFftSpec*, std::uint8_t*);
using VectorUnaryCode = std::int32_t (*)(const float*, float*, std::int32_t);
using VectorBinaryCode = std::int32_t (*)(const float*, const float*, float*, std::int32_t);
using VectorBinarySplitCode = std::int32_t (*)(const float*, const float*, float*, float*, std::int32_t);

// One code address, viewed through the member of its slot's signature. All
// members are plain code pointers of one size, so a whole entry moves as a
// single machine word; an all-zero word is the empty entry.
union PrimitiveCode {
    RealFftInitAllocCode initAlloc;
    RealFftFreeCode free;
    RealFftInPlaceCode inPlace;
    RealFftOutOfPlaceCode outOfPlace;
    VectorUnaryCode unary;
    VectorBinaryCode binary;
    VectorBinarySplitCode binarySplit;
};

static_assert(sizeof(PrimitiveCode) == sizeof(void (*)()));

inline bool IsEmptyPrimitiveCode(PrimitiveCode code) { return std::bit_cast<std::uintptr_t>(code) == 0; }
