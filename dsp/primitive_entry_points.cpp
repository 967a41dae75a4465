// The slots and the entry points. An entry point only loads its slot and jumps:
// no checks and no status translation of its own.
#include "dsp/detail/primitive_slots.h"
#include "dsp/primitives.h"
#include "dsp/detail/variants/class_variants.h"

constinit PrimitiveSlot g_primitiveSlots[kPrimitiveSlotCount] = {
    PrimitiveCode{.initAlloc = &class0_generic::RealFftInitAlloc},
    PrimitiveCode{.free = &class0_generic::RealFftFree},
    PrimitiveCode{.inPlace = &class0_generic::RealFftForwardInPlace},
    PrimitiveCode{.outOfPlace = &class0_generic::RealFftForward},
    PrimitiveCode{.inPlace = &class0_generic::RealFftInverseInPlace},
    PrimitiveCode{.outOfPlace = &class0_generic::RealFftInverse},
    PrimitiveCode{.unary = &class0_generic::ComplexPhase},
    PrimitiveCode{.unary = &class0_generic::ComplexMagnitude},
    PrimitiveCode{.binary = &class0_generic::PolarToComplex},
    PrimitiveCode{.binarySplit = &class0_generic::PolarToSplit},
    PrimitiveCode{.binary = &class0_generic::VectorAtan2},
    PrimitiveCode{.unary = &class0_generic::VectorCos},
    PrimitiveCode{.unary = &class0_generic::VectorSin},
};

namespace {

PrimitiveCode Slot(PrimitiveSlotIndex index) {
    return g_primitiveSlots[index].load(std::memory_order_relaxed);
}

}  // namespace

std::int32_t RealFftInitAlloc(RealFftSpec** out, std::int32_t order, std::int32_t flag, std::int32_t hint) {
    return Slot(kSlotRealFftInitAlloc).initAlloc(out, order, flag, hint);
}

std::int32_t RealFftFree(RealFftSpec* spec) { return Slot(kSlotRealFftFree).free(spec); }

std::int32_t RealFftForwardInPlace(float* buf, const RealFftSpec* spec, std::uint8_t* work) {
    return Slot(kSlotRealFftForwardInPlace).inPlace(buf, spec, work);
}

std::int32_t RealFftForward(const float* src, float* dst, const RealFftSpec* spec, std::uint8_t* work) {
    return Slot(kSlotRealFftForward).outOfPlace(src, dst, spec, work);
}

std::int32_t RealFftInverseInPlace(float* buf, const RealFftSpec* spec, std::uint8_t* work) {
    return Slot(kSlotRealFftInverseInPlace).inPlace(buf, spec, work);
}

std::int32_t RealFftInverse(const float* src, float* dst, const RealFftSpec* spec, std::uint8_t* work) {
    return Slot(kSlotRealFftInverse).outOfPlace(src, dst, spec, work);
}

std::int32_t ComplexPhase(const float* src, float* dst, std::int32_t len) {
    return Slot(kSlotComplexPhase).unary(src, dst, len);
}

std::int32_t ComplexMagnitude(const float* src, float* dst, std::int32_t len) {
    return Slot(kSlotComplexMagnitude).unary(src, dst, len);
}

std::int32_t PolarToComplex(const float* magnitude, const float* phase, float* dst, std::int32_t len) {
    return Slot(kSlotPolarToComplex).binary(magnitude, phase, dst, len);
}

std::int32_t PolarToSplit(const float* magnitude, const float* phase, float* re, float* im,
                          std::int32_t len) {
    return Slot(kSlotPolarToSplit).binarySplit(magnitude, phase, re, im, len);
}

std::int32_t VectorAtan2(const float* y, const float* x, float* dst, std::int32_t len) {
    return Slot(kSlotVectorAtan2).binary(y, x, dst, len);
}

std::int32_t VectorCos(const float* src, float* dst, std::int32_t len) {
    return Slot(kSlotVectorCos).unary(src, dst, len);
}

std::int32_t VectorSin(const float* src, float* dst, std::int32_t len) {
    return Slot(kSlotVectorSin).unary(src, dst, len);
}
