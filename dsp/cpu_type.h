// Processor type codes and processor classes.
//
// DecodeCpuType is a pure function of the identification registers, so every
// row of the code table can be checked without the processor at hand;
// DetectCpuType feeds it what the running processor reports. Any thread may
// call any of these; none keeps state.
#pragma once

#include <cstdint>

#include "platform/cpuid_probe.h"

struct CpuidReadings {
    bool hasCpuid = false;            // the identification instruction exists
    CpuidRegisters vendor;            // leaf 0
    CpuidRegisters features;          // leaf 1
    CpuidRegisters extendedRange;     // leaf 0x80000000
    CpuidRegisters extendedFeatures;  // leaf 0x80000001, zeros when not reported
};

// Type codes: Intel 16 (family 7), 17 (family 15 without SSE2), 32/8 (family 15
// with SSE2 and SSE3, 64-bit flag set/clear), 7/6 (family 15 with SSE2 without
// SSE3, hyper-threading/none), 2/1 (family 5 with/without MMX), 9/5/4/3 (family
// 6 with SSE2 / SSE only / MMX only / no MMX); other vendors 66 (SSE3),
// 65 (SSE2), 64 (SSE); 0 for anything else and without the instruction.
std::int32_t DecodeCpuType(const CpuidReadings& readings);

// Class 0..3 of a type code: 5, 16, 17 -> 1; 6, 7, 9 -> 2; 8, 32 -> 3; else 0.
std::int32_t ClassOfCpuType(std::int32_t typeCode);

CpuidReadings ReadCpuid();      // executes the identification instruction
std::int32_t DetectCpuType();   // DecodeCpuType(ReadCpuid())
std::int32_t CpuTypeToClass();  // ClassOfCpuType(DetectCpuType())
