// Lv2Effect<Traits>: a format-neutral stereo processor behind the LV2 C
// interface, with the port layout of plugin_description.h.
//
// Traits supplies:
//   using Processor = ...;                       // process, reset, setParameter
//   static constexpr const PluginDescription& description;
//   static Processor make(double sampleRate);    // a prvalue (no copy, no move)
//   static std::int32_t latencyFrames(const Processor&);
//
// Controls: at the start of every run each connected control port is read in
// its shown unit, clamped into its range (NaN gives the default), turned into
// the normalised value with normalisedFor() (exactly what the command-line
// host sends the VST 2 effect for the same setting) and passed on when it
// differs from the last one passed. An unconnected control keeps its value.
//
// Lifecycle: instantiate builds the processor (all memory is taken there);
// activate resets it (the switch-on of a VST 2 resume) and writes the latency
// port; deactivate needs nothing. run writes the latency port again (a host
// may connect it late), then processes: any block size, inputs and outputs
// may be the same buffers, no allocation, lock or system call. Ports may be
// connected at any time between runs; a run with an audio port unconnected
// leaves every buffer alone.
//
// Threads: instantiate and cleanup on the host's instantiation thread; the
// others on the audio thread, never overlapping (the LV2 threading classes).
#pragma once

#include <lv2/core/lv2.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>

#include "lv2/plugin_description.h"

namespace sarnovellite::lv2 {

template <class Traits>
class Lv2Effect {
public:
    using Processor = typename Traits::Processor;
    static constexpr const PluginDescription& kDescription = Traits::description;
    static constexpr std::size_t kControls = kDescription.controls.size();

    explicit Lv2Effect(double sampleRate) : processor(Traits::make(sampleRate)) {
        applied.fill(kNeverApplied);
    }

    void connect(std::uint32_t port, void* data) noexcept {
        switch (port) {
            case kInputLeftPort:
                inputLeft = static_cast<const float*>(data);
                break;
            case kInputRightPort:
                inputRight = static_cast<const float*>(data);
                break;
            case kOutputLeftPort:
                outputLeft = static_cast<float*>(data);
                break;
            case kOutputRightPort:
                outputRight = static_cast<float*>(data);
                break;
            case kLatencyPort:
                latency = static_cast<float*>(data);
                break;
            default:
                if (port >= kFirstControlPort && port < kFirstControlPort + kControls)
                    controls[port - kFirstControlPort] = static_cast<const float*>(data);
                break;
        }
    }

    void activate() noexcept {
        applyControls();
        processor.reset();
        writeLatency();
    }

    void run(std::uint32_t frames) noexcept {
        writeLatency();
        applyControls();
        if (!inputLeft || !inputRight || !outputLeft || !outputRight) return;
        // The processor counts frames in int32; hosts never come near that,
        // but a larger count is still processed completely.
        constexpr std::uint32_t kLargest = std::numeric_limits<std::int32_t>::max();
        std::uint32_t offset = 0;
        do {
            const std::uint32_t n = frames - offset < kLargest ? frames - offset : kLargest;
            processor.process(inputLeft + offset, inputRight + offset, outputLeft + offset,
                              outputRight + offset, static_cast<std::int32_t>(n));
            offset += n;
        } while (offset < frames);
    }

    // The LV2 descriptor's entries, in the C interface's terms.
    static LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char*,
                                  const LV2_Feature* const*) {
        try {
            return new Lv2Effect(sampleRate);
        } catch (...) {
            return nullptr;  // out of memory: the host reports a plug-in that failed to load
        }
    }
    static void connectPort(LV2_Handle h, std::uint32_t port, void* data) {
        static_cast<Lv2Effect*>(h)->connect(port, data);
    }
    static void activateEntry(LV2_Handle h) { static_cast<Lv2Effect*>(h)->activate(); }
    static void runEntry(LV2_Handle h, std::uint32_t frames) { static_cast<Lv2Effect*>(h)->run(frames); }
    static void deactivateEntry(LV2_Handle) {}
    static void cleanup(LV2_Handle h) { delete static_cast<Lv2Effect*>(h); }
    static const void* extensionData(const char*) { return nullptr; }

    static constexpr LV2_Descriptor descriptor(const char* uri) {
        return {uri,       &instantiate,     &connectPort, &activateEntry,
                &runEntry, &deactivateEntry, &cleanup,     &extensionData};
    }

private:
    // No normalised value compares equal to NaN, so the first read applies.
    static constexpr float kNeverApplied = std::numeric_limits<float>::quiet_NaN();

    void applyControls() noexcept {
        for (std::size_t c = 0; c < kControls; ++c) {
            if (!controls[c]) continue;
            const effect::ParameterInfo& info = *controlInfo(kDescription, kFirstControlPort + c);
            const float normalised = normalisedForPortValue(info, *controls[c]);
            if (normalised == applied[c]) continue;
            processor.setParameter(info.index, normalised);
            applied[c] = normalised;
        }
    }

    void writeLatency() noexcept {
        if (latency) *latency = static_cast<float>(Traits::latencyFrames(processor));
    }

    Processor processor;
    const float* inputLeft = nullptr;
    const float* inputRight = nullptr;
    float* outputLeft = nullptr;
    float* outputRight = nullptr;
    float* latency = nullptr;
    std::array<const float*, kControls> controls{};
    std::array<float, kControls> applied;
};

}  // namespace sarnovellite::lv2
