// The descriptors of every plug-in in the bundle, by lv2_descriptor's index
// (the order of kBundlePlugins); null past the last. Safe from any thread.
#pragma once

#include <lv2/core/lv2.h>

#include <cstdint>

namespace sarnovellite::lv2 {

const LV2_Descriptor* bundleDescriptor(std::uint32_t index) noexcept;

}  // namespace sarnovellite::lv2
