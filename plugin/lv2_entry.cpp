// The export of the LV2 binary: hosts look up `lv2_descriptor` and call it
// with 0, 1, 2, ... until it answers null.
#include <lv2/core/lv2.h>

#include "lv2/bundle_descriptors.h"

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return sarnovellite::lv2::bundleDescriptor(index);
}
