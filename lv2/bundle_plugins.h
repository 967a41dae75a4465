// The plug-ins of the bundle sarnovellite.lv2, in the order lv2_descriptor
// hands them out and the manifest lists them.
#pragma once

#include <array>
#include <cstdint>

#include "effect/parameters/restore_parameters.h"
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

inline constexpr std::int32_t kRestoreControls[] = {
    effect::restore_parameters::kThreshold, effect::restore_parameters::kLongestClick,
    effect::restore_parameters::kCrackle,   effect::restore_parameters::kThump,
    effect::restore_parameters::kOutput,
};

// Sarnovellite Restore: its delay is 82 ms at the rate from instantiate; the
// bound announced covers rates up to 384 kHz (31488 frames).
inline constexpr PluginDescription kRestoreDescription = {
    .uri = "urn:thessmoore:sarnovellite:restore",
    .name = "Sarnovellite Restore",
    .turtleFile = "restore.ttl",
    .table = effect::restore_parameters::kTable,
    .controls = kRestoreControls,
    .latencyMaximum = 32768,
};

inline constexpr std::array kBundlePlugins = {&kSarnovelliteDescription, &kRestoreDescription};

// The bundle's folder name and its binary's base name (".so" is added).
inline constexpr std::string_view kBundleFolder = "sarnovellite.lv2";

}  // namespace sarnovellite::lv2
