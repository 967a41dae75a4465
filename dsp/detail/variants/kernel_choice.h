// Transform kernels wider than the processor classes' own, and the list of
// every kernel the running processor can execute.
//
// On 64-bit x86 builds (Linux) every class variant hands its transforms to the widest
// kernel the processor has (AVX2 with FMA), chosen once while the library
// starts up; the processor-class selection and its slots are unaffected. Until
// that choice is made (or where no wide kernel fits, or on 32-bit builds) the
// variants run their own kernels. All kernels compute the same transform from
// the same spec; they differ only in speed and the last bits of rounding.
#pragma once

#include <cstdint>
#include <vector>

#include "dsp/detail/primitive_signatures.h"

// Not on 64-bit Windows: GCC there cannot align the stack to 32 bytes for the
// wide registers it spills (its bug 54412), so the wide kernel could fault.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(_WIN32)
#define SARNOVELLITE_WIDE_KERNELS 1
#endif

struct RealFftKernel {
    const char* name;
    RealFftOutOfPlaceCode forward;  // src == dst runs in place
    RealFftOutOfPlaceCode inverse;
};

// The wide kernel the class variants use, or null when none fits (always null
// on 32-bit builds). Constant after start-up; any thread may call it.
const RealFftKernel* ChosenWideKernel();

// Every kernel this processor can run: each class's own kernel whose
// instruction set it has, then the wide kernels it has. For tests and
// benchmarks; allocates.
std::vector<RealFftKernel> RunnableRealFftKernels();
