// The processor identification instruction, the only code that executes it.
//
// x86-64: CPUID always exists. 32-bit x86: it exists when bit 21 (ID) of the
// flags register can be flipped. Other architectures: it never exists and
// ExecuteCpuid returns zeros. Any thread may call these.
#pragma once

#include <cstdint>

struct CpuidRegisters {
    std::uint32_t eax = 0;
    std::uint32_t ebx = 0;
    std::uint32_t ecx = 0;
    std::uint32_t edx = 0;
};

bool CpuidInstructionAvailable();
CpuidRegisters ExecuteCpuid(std::uint32_t leaf);  // sub-leaf 0
