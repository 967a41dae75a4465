// Sarnovellite Restore's LV2_Descriptor: an Lv2Effect over the
// RestoreProcessor with the ports of kRestoreDescription (bundle_plugins.h).
// The processor is built for the rate instantiate gives (its memory taken
// there); the latency port reports its delay at that rate, 82 ms of frames.
#pragma once

#include <lv2/core/lv2.h>

namespace sarnovellite::lv2 {

const LV2_Descriptor* restoreDescriptor() noexcept;

}  // namespace sarnovellite::lv2
