// Defines the five transform operations of a class variant in the enclosing
// namespace from the kernels of dsp/detail/real_fft_kernels.h, which the including
// source compiles with its class's instruction set. Include inside the class's
// namespace, after dsp/detail/real_fft_kernels.h and dsp/detail/real_fft_spec_builder.h.
//
// 32-bit Windows hosts may call in with a stack aligned to 4 bytes only, while
// SSE code spills 16-byte values to the stack: on 32-bit x86 the transforms
// realign the stack on entry.

#if defined(__GNUC__) && defined(__i386__)
#define SARNOVELLITE_REALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define SARNOVELLITE_REALIGN_STACK
#endif

std::int32_t RealFftInitAlloc(RealFftSpec** out, std::int32_t order, std::int32_t flag, std::int32_t hint)
{
    return BuildRealFftSpec(out, order, flag, hint);
}

SARNOVELLITE_REALIGN_STACK
std::int32_t RealFftForward(const float* src, float* dst, const RealFftSpec* spec, std::uint8_t* work)
{
    return KernelForward(src, dst, spec, work);
}

SARNOVELLITE_REALIGN_STACK
std::int32_t RealFftInverse(const float* src, float* dst, const RealFftSpec* spec, std::uint8_t* work)
{
    return KernelInverse(src, dst, spec, work);
}

SARNOVELLITE_REALIGN_STACK
std::int32_t RealFftForwardInPlace(float* buf, const RealFftSpec* spec, std::uint8_t* work)
{
    return KernelForward(buf, buf, spec, work);
}

SARNOVELLITE_REALIGN_STACK
std::int32_t RealFftInverseInPlace(float* buf, const RealFftSpec* spec, std::uint8_t* work)
{
    return KernelInverse(buf, buf, spec, work);
}

#undef SARNOVELLITE_REALIGN_STACK
