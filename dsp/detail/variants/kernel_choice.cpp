#include "dsp/detail/variants/kernel_choice.h"

#include "dsp/detail/variants/class_variants.h"

namespace {

#if defined(SARNOVELLITE_WIDE_KERNELS)
constexpr RealFftKernel kAvx2Kernel{"AVX2+FMA", &wide_avx2::RealFftForward, &wide_avx2::RealFftInverse};

bool HasAvx2() {
    // Also checks that the operating system saves the wide registers.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

// Zero until the library's start-up code has run, so a transform called
// before that uses its class's own kernel.
const RealFftKernel* const g_chosenWideKernel = HasAvx2() ? &kAvx2Kernel : nullptr;
#endif

bool HasInstructionSet(int primitiveClass) {
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
    __builtin_cpu_init();
    switch (primitiveClass) {
        case 1:
            return __builtin_cpu_supports("sse");
        case 2:
            return __builtin_cpu_supports("sse2");
        case 3:
            return __builtin_cpu_supports("sse3");
        default:
            return true;
    }
#else
    return primitiveClass == 0;
#endif
}

}  // namespace

const RealFftKernel* ChosenWideKernel() {
#if defined(SARNOVELLITE_WIDE_KERNELS)
    return g_chosenWideKernel;
#else
    return nullptr;
#endif
}

std::vector<RealFftKernel> RunnableRealFftKernels() {
    const RealFftKernel own[] = {
        {"class 0", &class0_generic::OwnRealFftForward, &class0_generic::OwnRealFftInverse},
        {"class 1", &class1_sse::OwnRealFftForward, &class1_sse::OwnRealFftInverse},
        {"class 2", &class2_sse2::OwnRealFftForward, &class2_sse2::OwnRealFftInverse},
        {"class 3", &class3_sse3::OwnRealFftForward, &class3_sse3::OwnRealFftInverse},
    };
    std::vector<RealFftKernel> kernels;
    for (int c = 0; c < 4; ++c)
        if (HasInstructionSet(c)) kernels.push_back(own[c]);
#if defined(SARNOVELLITE_WIDE_KERNELS)
    if (HasAvx2()) kernels.push_back(kAvx2Kernel);
#endif
    return kernels;
}
