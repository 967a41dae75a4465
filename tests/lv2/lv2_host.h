// An LV2 host for the tests: the bundle's binary opened with dlopen (through
// the command-line host's loader, as for the VST 2 tests), descriptors found
// by URI through `lv2_descriptor`, and instances driven through the C
// interface only: instantiate, connect_port, activate, run, deactivate,
// cleanup. Port indices are the bundle's layout (lv2/plugin_description.h);
// the Turtle files that announce them are checked against the binary by
// scripts/lv2-check.sh through lilv.
#pragma once

#include <lv2/core/lv2.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "loader/shared_library.h"

struct Stereo {
    std::vector<float> left, right;
    std::size_t frames() const { return left.size(); }
};

class Lv2Binary {
public:
    explicit Lv2Binary(const std::string& path);
    bool loaded() const { return library.loaded(); }
    const std::string& error() const { return library.error(); }
    // The descriptor announcing `uri`; null when the binary has none.
    const LV2_Descriptor* descriptor(std::string_view uri) const;
    // Every URI lv2_descriptor hands out, in its order.
    std::vector<std::string> uris() const;

private:
    sarnovellite::cli::SharedLibrary library;
};

// One instance with every port connected: control ports to values held here
// (initialised to `defaults`, one per control port from the first control
// port on), the latency port to a value that starts at -1 so a missing write
// shows. Cleaned up (deactivated first when active) on destruction.
class Lv2Instance {
public:
    Lv2Instance(const LV2_Descriptor* descriptor, double sampleRate, std::vector<float> defaults);
    ~Lv2Instance();
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    bool instantiated() const { return handle != nullptr; }
    void setControl(std::uint32_t port, float value);
    float latency() const { return latencyValue; }
    void activate();
    void deactivate();
    // Runs `in` through in blocks of the given lengths (cycled), the audio
    // ports connected anew to each block's frames; `inPlace` connects each
    // output to its input's block (the buffers copied in first).
    Stereo run(const Stereo& in, std::span<const std::uint32_t> blocks, bool inPlace = false);

private:
    const LV2_Descriptor* descriptor;
    LV2_Handle handle = nullptr;
    bool active = false;
    float latencyValue = -1.0f;
    std::vector<float> controls;
};

// Block lengths a host might use: 1, odd, a power of two, longer than a slice.
inline constexpr std::uint32_t kVaryingBlocks[] = {441, 1, 2047, 5003, 17, 2049, 64, 999, 4096};
