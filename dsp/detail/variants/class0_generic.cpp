// Class 0: generic code for any processor. On 32-bit x86 it is compiled for the
// x87 unit, which keeps intermediate results in extended precision and rounds
// to float on every store.
#include "dsp/detail/real_fft_kernels.h"
#include "dsp/detail/real_fft_spec_builder.h"
#include "dsp/detail/variants/class_variants.h"
#include "dsp/detail/variants/kernel_choice.h"

namespace class0_generic {

#include "dsp/detail/variants/define_real_fft_transforms.h"

std::int32_t RealFftFree(RealFftSpec* spec) { return ReleaseRealFftSpec(spec); }

}  // namespace class0_generic
