// Selection of the processor-class variants of the primitives.
//
// PrimitiveDispatchTable has one record per slot, in slot order: the slot's
// address and its variants for classes 0..3 (an empty entry means the class
// has no variant for it). SelectPrimitiveClass, run at every construction of
// the effect, finds the processor's class and fills every slot from the
// highest class of its fall-back list that has all entries; when none has, it
// shows the error message and leaves the slots as they were (or partly
// written). Every selection in a process stores the same values, so it may run
// while other threads call the entry points.
//
// The *From forms take the table, the processor class and the message sink
// explicitly; they are what tests drive.
#pragma once

#include <cstdint>

#include "dsp/detail/primitive_slots.h"

constexpr std::int32_t kPrimitiveClassCount = 4;
constexpr std::int32_t kFallbackEnd = 4;  // ends every fall-back list

struct PrimitiveDispatchRecord {
    PrimitiveSlot* slot;
    PrimitiveCode variants[kPrimitiveClassCount];
};

extern const PrimitiveDispatchRecord PrimitiveDispatchTable[kPrimitiveSlotCount];
extern const std::int32_t PrimitiveDispatchTableCount;

// Classes tried for each processor class, highest first, ended by kFallbackEnd.
extern const std::int32_t kClassFallbackOrder[kPrimitiveClassCount][kPrimitiveClassCount + 1];

inline constexpr const char* kNoMatchingClassCaption = "Set DSP library error";
inline constexpr const char* kNoMatchingClassText =
    " No DSP matching to examined CPU was found during the Vadorevaz procedure";

using ErrorMessageSink = void (*)(const char* caption, const char* text);

// Stores each record's entry for `primitiveClass` into its slot, in table
// order; stops at the first empty entry and returns 0 (slots written before it
// keep their new values). Returns 1 when every slot was filled, 0 for a class
// outside 0..3.
std::int32_t FillDispatchTableFrom(const PrimitiveDispatchRecord* table, std::int32_t count,
                                   std::int32_t primitiveClass);
std::int32_t FillDispatchTable(std::int32_t primitiveClass);

// Returns 1 on success; 0 after showing the message through `showMessage`.
std::int32_t SelectPrimitiveClassFrom(const PrimitiveDispatchRecord* table, std::int32_t count,
                                      std::int32_t processorClass, ErrorMessageSink showMessage);
std::int32_t SelectPrimitiveClass();
