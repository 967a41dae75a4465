// The plug-ins of the bundle sarnovellite.lv2, in the order lv2_descriptor
// hands them out and the manifest lists them.
#pragma once

#include <array>
#include <cstdint>

#include "effect/parameters/sarnovellite_parameters.h"
#include "lv2/plugin_description.h"

namespace sarnovellite::lv2 {

inline constexpr std::int32_t kSarnovelliteControls[] = {
    effect::sarnovellite_parameters::kSensitivity,
    effect::sarnovellite_parameters::kClickGap,
};

// The specified effect: the engine delays by exactly one slice at any rate.
inline constexpr PluginDescription kSarnovelliteDescription = {
    .uri = "urn:thessmoore:sarnovellite:effect",
    .name = "Sarnovellite",
    .turtleFile = "sarnovellite.ttl",
    .table = effect::sarnovellite_parameters::kTable,
    .controls = kSarnovelliteControls,
    .latencyMaximum = 2048,
};

inline constexpr std::array kBundlePlugins = {&kSarnovelliteDescription};

// The bundle's folder name and its binary's base name (".so" is added).
inline constexpr std::string_view kBundleFolder = "sarnovellite.lv2";

}  // namespace sarnovellite::lv2
