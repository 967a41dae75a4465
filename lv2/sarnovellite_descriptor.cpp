#include "lv2/sarnovellite_descriptor.h"

#include "effect/sarnovellite_processor.h"
#include "lv2/bundle_plugins.h"
#include "lv2/lv2_effect.h"

namespace sarnovellite::lv2 {

namespace {

struct SarnovelliteTraits {
    using Processor = effect::SarnovelliteProcessor;
    static constexpr const PluginDescription& description = kSarnovelliteDescription;
    // The engine works in samples: it runs the same at every rate.
    static Processor make(double) { return Processor(); }
    static std::int32_t latencyFrames(const Processor&) { return Processor::kLatencyFrames; }
};

static_assert(kSarnovelliteDescription.latencyMaximum == effect::SarnovelliteProcessor::kLatencyFrames);

constexpr LV2_Descriptor kDescriptor =
    Lv2Effect<SarnovelliteTraits>::descriptor(kSarnovelliteDescription.uri.data());

}  // namespace

const LV2_Descriptor* sarnovelliteDescriptor() noexcept { return &kDescriptor; }

}  // namespace sarnovellite::lv2
