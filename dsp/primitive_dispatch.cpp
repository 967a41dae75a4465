#include "dsp/primitive_dispatch.h"

#include "dsp/cpu_type.h"
#include "dsp/detail/variants/class_variants.h"
#include "platform/error_message.h"

namespace {

constexpr PrimitiveDispatchRecord Record(PrimitiveSlotIndex index, PrimitiveCode c0, PrimitiveCode c1,
                                         PrimitiveCode c2, PrimitiveCode c3) {
    return PrimitiveDispatchRecord{&g_primitiveSlots[index], {c0, c1, c2, c3}};
}

constexpr PrimitiveCode InitAlloc(RealFftInitAllocCode code) { return PrimitiveCode{.initAlloc = code}; }
constexpr PrimitiveCode Free(RealFftFreeCode code) { return PrimitiveCode{.free = code}; }
constexpr PrimitiveCode InPlace(RealFftInPlaceCode code) { return PrimitiveCode{.inPlace = code}; }
constexpr PrimitiveCode OutOfPlace(RealFftOutOfPlaceCode code) { return PrimitiveCode{.outOfPlace = code}; }
constexpr PrimitiveCode Unary(VectorUnaryCode code) { return PrimitiveCode{.unary = code}; }
constexpr PrimitiveCode Binary(VectorBinaryCode code) { return PrimitiveCode{.binary = code}; }
constexpr PrimitiveCode BinarySplit(VectorBinarySplitCode code) { return PrimitiveCode{.binarySplit = code}; }

}  // namespace

namespace c0 = class0_generic;
namespace c1 = class1_sse;
namespace c2 = class2_sse2;
namespace c3 = class3_sse3;

// The vector operations have one generic variant shared by every class.
constinit const PrimitiveDispatchRecord PrimitiveDispatchTable[kPrimitiveSlotCount] = {
    Record(kSlotRealFftInitAlloc, InitAlloc(&c0::RealFftInitAlloc), InitAlloc(&c1::RealFftInitAlloc),
           InitAlloc(&c2::RealFftInitAlloc), InitAlloc(&c3::RealFftInitAlloc)),
    Record(kSlotRealFftFree, Free(&c0::RealFftFree), Free(&c0::RealFftFree), Free(&c2::RealFftFree),
           Free(&c2::RealFftFree)),
    Record(kSlotRealFftForwardInPlace, InPlace(&c0::RealFftForwardInPlace),
           InPlace(&c1::RealFftForwardInPlace), InPlace(&c2::RealFftForwardInPlace),
           InPlace(&c3::RealFftForwardInPlace)),
    Record(kSlotRealFftForward, OutOfPlace(&c0::RealFftForward), OutOfPlace(&c1::RealFftForward),
           OutOfPlace(&c2::RealFftForward), OutOfPlace(&c3::RealFftForward)),
    Record(kSlotRealFftInverseInPlace, InPlace(&c0::RealFftInverseInPlace),
           InPlace(&c1::RealFftInverseInPlace), InPlace(&c2::RealFftInverseInPlace),
           InPlace(&c3::RealFftInverseInPlace)),
    Record(kSlotRealFftInverse, OutOfPlace(&c0::RealFftInverse), OutOfPlace(&c1::RealFftInverse),
           OutOfPlace(&c2::RealFftInverse), OutOfPlace(&c3::RealFftInverse)),
    Record(kSlotComplexPhase, Unary(&c0::ComplexPhase), Unary(&c0::ComplexPhase), Unary(&c0::ComplexPhase),
           Unary(&c0::ComplexPhase)),
    Record(kSlotComplexMagnitude, Unary(&c0::ComplexMagnitude), Unary(&c0::ComplexMagnitude),
           Unary(&c0::ComplexMagnitude), Unary(&c0::ComplexMagnitude)),
    Record(kSlotPolarToComplex, Binary(&c0::PolarToComplex), Binary(&c0::PolarToComplex),
           Binary(&c0::PolarToComplex), Binary(&c0::PolarToComplex)),
    Record(kSlotPolarToSplit, BinarySplit(&c0::PolarToSplit), BinarySplit(&c0::PolarToSplit),
           BinarySplit(&c0::PolarToSplit), BinarySplit(&c0::PolarToSplit)),
    Record(kSlotVectorAtan2, Binary(&c0::VectorAtan2), Binary(&c0::VectorAtan2), Binary(&c0::VectorAtan2),
           Binary(&c0::VectorAtan2)),
    Record(kSlotVectorCos, Unary(&c0::VectorCos), Unary(&c0::VectorCos), Unary(&c0::VectorCos),
           Unary(&c0::VectorCos)),
    Record(kSlotVectorSin, Unary(&c0::VectorSin), Unary(&c0::VectorSin), Unary(&c0::VectorSin),
           Unary(&c0::VectorSin)),
};

const std::int32_t PrimitiveDispatchTableCount = kPrimitiveSlotCount;

const std::int32_t kClassFallbackOrder[kPrimitiveClassCount][kPrimitiveClassCount + 1] = {
    {0, kFallbackEnd},
    {1, 0, kFallbackEnd},
    {2, 1, 0, kFallbackEnd},
    {3, 2, 1, 0, kFallbackEnd},
};

std::int32_t FillDispatchTableFrom(const PrimitiveDispatchRecord* table, std::int32_t count,
                                   std::int32_t primitiveClass) {
    if (primitiveClass < 0 || primitiveClass >= kPrimitiveClassCount) return 0;
    for (std::int32_t i = 0; i < count; ++i) {
        const PrimitiveCode code = table[i].variants[primitiveClass];
        if (IsEmptyPrimitiveCode(code)) return 0;
        table[i].slot->store(code, std::memory_order_relaxed);
    }
    return 1;
}

std::int32_t FillDispatchTable(std::int32_t primitiveClass) {
    return FillDispatchTableFrom(PrimitiveDispatchTable, PrimitiveDispatchTableCount, primitiveClass);
}

std::int32_t SelectPrimitiveClassFrom(const PrimitiveDispatchRecord* table, std::int32_t count,
                                      std::int32_t processorClass, ErrorMessageSink showMessage) {
    if (count > 0 && processorClass >= 0 && processorClass < kPrimitiveClassCount) {
        for (const std::int32_t* k = kClassFallbackOrder[processorClass]; *k != kFallbackEnd; ++k) {
            if (FillDispatchTableFrom(table, count, *k) == 1) return 1;
        }
    }
    showMessage(kNoMatchingClassCaption, kNoMatchingClassText);
    return 0;
}

std::int32_t SelectPrimitiveClass() {
    return SelectPrimitiveClassFrom(PrimitiveDispatchTable, PrimitiveDispatchTableCount, CpuTypeToClass(),
                                    &ShowErrorMessage);
}
