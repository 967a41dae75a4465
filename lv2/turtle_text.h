// The Turtle files of the bundle, written from the plug-in descriptions and
// their parameter tables (the generator runs this at build time; nothing of
// it is written by hand).
//
//   manifestText: manifest.ttl, every plug-in's URI, binary and own file
//   pluginText:   a plug-in's own file: name, vendor, hardRTCapable, the four
//                 audio ports, the latency port (lv2:designation lv2:latency
//                 and lv2:reportsLatency), and one control port per listed
//                 parameter with its shown range and default, lv2:integer for
//                 stepped kinds, lv2:enumeration with scale points, lv2:toggled,
//                 and its unit (units extension) from the table's label.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "lv2/plugin_description.h"

namespace sarnovellite::lv2 {

std::string manifestText(std::span<const PluginDescription* const> plugins, std::string_view binaryFile);
std::string pluginText(const PluginDescription& plugin);

}  // namespace sarnovellite::lv2
