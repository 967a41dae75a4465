// Defines the five transform operations of a class variant in the enclosing
// namespace from the kernels of dsp/detail/real_fft_kernels.h, which the including
// source compiles with its class's instruction set. Include inside the class's
// namespace, after dsp/detail/real_fft_kernels.h, dsp/detail/real_fft_spec_builder.h
// and dsp/detail/variants/kernel_choice.h. On 64-bit builds the transforms
// run the wide kernel chosen at start-up when there is one.
//
// 32-bit Windows hosts may call in with a stack aligned to 4 bytes only, while
// SSE code spills 16-byte values to the stack: on 32-bit x86 the transforms
// realign the stack on entry.

#if defined(__GNUC__) && defined(__i386__)
#define SARNOVELLITE_REALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define SARNOVELLITE_REALIGN_STACK
#endif

std::int32_t RealFftInitAlloc(RealFftSpec** out, std::int32_t order, std::int32_t flag, std::int32_t hint) {
    return BuildRealFftSpec(out, order, flag, hint);
}

SARNOVELLITE_REALIGN_STACK
std::int32_t OwnRealFftForward(const float* src, float* dst, const RealFftSpec* spec, std::uint8_t* work) {
    return KernelForward(src, dst, spec, work);
}

SARNOVELLITE_REALIGN_STACK
std::int32_t OwnRealFftInverse(const float* src, float* dst, const RealFftSpec* spec, std::uint8_t* work) {
    return KernelInverse(src, dst, spec, work);
}

SARNOVELLITE_REALIGN_STACK
std::int32_t RealFftForward(const float* src, float* dst, const RealFftSpec* spec, std::uint8_t* work) {
#if defined(SARNOVELLITE_WIDE_KERNELS)
    if (const RealFftKernel* wide = ChosenWideKernel()) return wide->forward(src, dst, spec, work);
#endif
    return KernelForward(src, dst, spec, work);
}

SARNOVELLITE_REALIGN_STACK
std::int32_t RealFftInverse(const float* src, float* dst, const RealFftSpec* spec, std::uint8_t* work) {
#if defined(SARNOVELLITE_WIDE_KERNELS)
    if (const RealFftKernel* wide = ChosenWideKernel()) return wide->inverse(src, dst, spec, work);
#endif
    return KernelInverse(src, dst, spec, work);
}

SARNOVELLITE_REALIGN_STACK
std::int32_t RealFftForwardInPlace(float* buf, const RealFftSpec* spec, std::uint8_t* work) {
    return RealFftForward(buf, buf, spec, work);
}

SARNOVELLITE_REALIGN_STACK
std::int32_t RealFftInverseInPlace(float* buf, const RealFftSpec* spec, std::uint8_t* work) {
    return RealFftInverse(buf, buf, spec, work);
}

#undef SARNOVELLITE_REALIGN_STACK
