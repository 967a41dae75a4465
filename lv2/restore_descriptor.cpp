#include "lv2/restore_descriptor.h"

#include "effect/restore_processor.h"
#include "lv2/bundle_plugins.h"
#include "lv2/lv2_effect.h"

namespace sarnovellite::lv2 {

namespace {

struct RestoreTraits {
    using Processor = effect::RestoreProcessor;
    static constexpr const PluginDescription& description = kRestoreDescription;
    // A rate that is not a positive number leaves the processor at 44.1 kHz.
    static Processor make(double sampleRate) { return Processor(sampleRate); }
    static std::int32_t latencyFrames(const Processor& p) { return p.latencyFrames(); }
};

constexpr LV2_Descriptor kDescriptor = Lv2Effect<RestoreTraits>::descriptor(kRestoreDescription.uri.data());

}  // namespace

const LV2_Descriptor* restoreDescriptor() noexcept { return &kDescriptor; }

}  // namespace sarnovellite::lv2
