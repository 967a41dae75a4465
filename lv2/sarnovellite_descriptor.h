// The Sarnovellite effect's LV2_Descriptor: an Lv2Effect over the
// SarnovelliteProcessor with the ports of kSarnovelliteDescription
// (bundle_plugins.h). Its latency is the processor's fixed 2048 frames; the
// processor works in samples, so the rate from instantiate is not used.
#pragma once

#include <lv2/core/lv2.h>

namespace sarnovellite::lv2 {

const LV2_Descriptor* sarnovelliteDescriptor() noexcept;

}  // namespace sarnovellite::lv2
