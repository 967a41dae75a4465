// Class 2: processors with SSE2. The kernels are compiled here for SSE2 with
// single-precision vector arithmetic; only a selection that found SSE2 reaches them.
// Standard headers come before the target switch so that no inline library
// code is built for the newer instruction set and shared with other classes.
#include <cstdint>

#include "dsp/detail/variants/kernel_choice.h"

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
#pragma GCC target("sse2,fpmath=sse")
#endif

#include "dsp/detail/real_fft_kernels.h"
#include "dsp/detail/real_fft_spec_builder.h"
#include "dsp/detail/variants/class_variants.h"

namespace class2_sse2 {

#include "dsp/detail/variants/define_real_fft_transforms.h"

std::int32_t RealFftFree(RealFftSpec* spec) { return ReleaseRealFftSpec(spec); }

}  // namespace class2_sse2
