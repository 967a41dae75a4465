// Calls a function with the stack pointer deliberately off the 16-byte
// boundary that GCC-compiled code keeps: 32-bit Windows only promises 4-byte
// alignment, and hosts built with other compilers call plug-ins that way.
#pragma once

using StackTestFunction = void (*)(void* context);

// misalignment: 0, 4, 8 or 12 bytes below a 16-byte boundary at the call.
void callWithMisalignedStack(StackTestFunction function, void* context, int misalignment);
