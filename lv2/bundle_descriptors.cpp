#include "lv2/bundle_descriptors.h"

#include <string_view>

#include "lv2/bundle_plugins.h"
#include "lv2/restore_descriptor.h"
#include "lv2/sarnovellite_descriptor.h"

namespace sarnovellite::lv2 {

const LV2_Descriptor* bundleDescriptor(std::uint32_t index) noexcept {
    const LV2_Descriptor* descriptors[] = {sarnovelliteDescriptor(), restoreDescriptor()};
    static_assert(sizeof descriptors / sizeof descriptors[0] == kBundlePlugins.size());
    return index < kBundlePlugins.size() ? descriptors[index] : nullptr;
}

}  // namespace sarnovellite::lv2
