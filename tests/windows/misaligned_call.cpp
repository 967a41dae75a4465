#include "tests/windows/misaligned_call.h"

void callWithMisalignedStack(StackTestFunction function, void* context, int misalignment) {
#if defined(__i386__)
    // Align down, step below by the requested amount less the pushed argument,
    // push the argument, call; the old stack pointer is kept in esi.
    int lowering = (misalignment + 12) & 15;
    __asm__ volatile(
        "movl %%esp, %%esi\n\t"
        "andl $-16, %%esp\n\t"
        "subl %0, %%esp\n\t"
        "pushl %2\n\t"
        "call *%1\n\t"
        "movl %%esi, %%esp\n\t"
        : "+c"(lowering)  // the callee may change ecx
        : "b"(function), "D"(context)
        : "esi", "eax", "edx", "memory", "cc");
#else
    (void)misalignment;
    function(context);
#endif
}
