// What an LV2 plug-in of this bundle is, read both by the plug-in binary and
// by the generator that writes the bundle's Turtle files at build time, so the
// ports a host reads and the ports the binary serves cannot drift apart.
//
// Every plug-in has the same port layout:
//   0, 1  audio inputs, left and right
//   2, 3  audio outputs, left and right
//   4     latency (output control, frames; lv2:designation lv2:latency)
//   5...  the controls, one per entry of `controls` in that order: the
//         parameter-table entry of that index, in the table's shown unit
//
// The URIs are the plug-ins' identity in every host and saved session: they
// never change. Header only, constexpr data; safe from any thread.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "effect/parameters/parameter_table.h"

namespace sarnovellite::lv2 {

inline constexpr std::string_view kProjectUri = "urn:thessmoore:sarnovellite";
inline constexpr std::string_view kVendor = "Thessmoore";

inline constexpr std::uint32_t kInputLeftPort = 0;
inline constexpr std::uint32_t kInputRightPort = 1;
inline constexpr std::uint32_t kOutputLeftPort = 2;
inline constexpr std::uint32_t kOutputRightPort = 3;
inline constexpr std::uint32_t kLatencyPort = 4;
inline constexpr std::uint32_t kFirstControlPort = 5;

struct PluginDescription {
    std::string_view uri;
    std::string_view name;
    std::string_view turtleFile;  // the plug-in's own .ttl in the bundle
    std::span<const effect::ParameterInfo> table;
    std::span<const std::int32_t> controls;  // table indices, in port order
    std::int32_t latencyMaximum;             // upper bound announced for the latency port
};

constexpr std::uint32_t portCount(const PluginDescription& d) noexcept {
    return kFirstControlPort + static_cast<std::uint32_t>(d.controls.size());
}

// The table entry behind control port `port`; null for any other port.
constexpr const effect::ParameterInfo* controlInfo(const PluginDescription& d, std::uint32_t port) noexcept {
    if (port < kFirstControlPort || port >= portCount(d)) return nullptr;
    return effect::findParameter(d.table, d.controls[port - kFirstControlPort]);
}

// The normalised value for a control port's value in the shown unit: NaN
// gives the default, anything outside the shown range its nearest end.
constexpr float normalisedForPortValue(const effect::ParameterInfo& p, float portValue) noexcept {
    double shown = portValue;
    if (!(shown == shown)) shown = effect::shownDefault(p);
    if (shown < effect::shownMinimum(p)) shown = effect::shownMinimum(p);
    if (shown > effect::shownMaximum(p)) shown = effect::shownMaximum(p);
    return effect::normalisedFor(p, shown);
}

}  // namespace sarnovellite::lv2
