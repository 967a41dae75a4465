#include "platform/cpuid_probe.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

bool CpuidInstructionAvailable() {
#if defined(__x86_64__)
    return true;
#elif defined(__i386__)
    std::uint32_t original = 0;
    std::uint32_t flipped = 0;
    __asm__ volatile(
        "pushfl\n\t"
        "pushfl\n\t"
        "popl %0\n\t"
        "movl %0, %1\n\t"
        "xorl $0x200000, %0\n\t"
        "pushl %0\n\t"
        "popfl\n\t"
        "pushfl\n\t"
        "popl %0\n\t"
        "popfl\n\t"
        : "=&r"(flipped), "=&r"(original)
        :
        : "cc");
    return ((flipped ^ original) & 0x200000u) != 0;
#else
    return false;
#endif
}

CpuidRegisters ExecuteCpuid(std::uint32_t leaf) {
    CpuidRegisters r;
#if defined(__i386__) || defined(__x86_64__)
    __cpuid_count(leaf, 0, r.eax, r.ebx, r.ecx, r.edx);
#else
    (void)leaf;
#endif
    return r;
}
