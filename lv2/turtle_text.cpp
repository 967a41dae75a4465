#include "lv2/turtle_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace sarnovellite::lv2 {

namespace {

constexpr std::string_view kPrefixes =
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n";

// A Turtle string literal; the table's texts are plain, but quotes and
// backslashes would still come out right.
std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

// Whole numbers as Turtle integers, others as the shortest decimal that
// reads back as the same double.
std::string number(double value) {
    if (std::nearbyint(value) == value && std::fabs(value) < 1e15) {
        return std::to_string(static_cast<long long>(value));
    }
    char text[40];
    const auto result = std::to_chars(text, text + sizeof text, value);
    std::string out(text, result.ptr);
    if (out.find_first_of(".e") == std::string::npos) out += ".0";
    return out;
}

// The units extension's own unit for a table label, or a unit of its own.
std::string unitFor(std::string_view label) {
    struct Known {
        std::string_view label, unit;
    };
    static constexpr Known kKnown[] = {
        {"dB", "units:db"},   {"ms", "units:ms"}, {"s", "units:s"},           {"Hz", "units:hz"},
        {"kHz", "units:khz"}, {"%", "units:pc"},  {"samples", "units:frame"}, {"frames", "units:frame"}};
    for (const Known& k : kKnown) {
        if (k.label == label) return std::string(k.unit);
    }
    return "[ a units:Unit ; rdfs:label " + quoted(label) + " ; units:symbol " + quoted(label) +
           " ; units:render " + quoted("%f " + std::string(label)) + " ]";
}

std::string portStart(std::string_view kinds, std::uint32_t index, std::string_view symbol,
                      std::string_view name) {
    return "    [\n        a " + std::string(kinds) + " ;\n        lv2:index " + std::to_string(index) +
           " ;\n        lv2:symbol " + quoted(symbol) + " ;\n        lv2:name " + quoted(name) + " ;\n";
}

std::string audioPort(std::string_view direction, std::uint32_t index, std::string_view symbol,
                      std::string_view name) {
    return portStart("lv2:AudioPort , " + std::string(direction), index, symbol, name) + "    ]";
}

std::string latencyPort(const PluginDescription& plugin) {
    return portStart("lv2:ControlPort , lv2:OutputPort", kLatencyPort, "latency", "Latency") +
           "        lv2:designation lv2:latency ;\n"
           "        lv2:portProperty lv2:reportsLatency , lv2:integer ;\n"
           "        units:unit units:frame ;\n"
           "        lv2:minimum 0 ;\n"
           "        lv2:maximum " +
           std::to_string(plugin.latencyMaximum) + " ;\n    ]";
}

// The default as the display shows it (7.0, not 7.000000029802322, the
// float default mapped back) when that maps to the same normalised value.
double shownDefaultRounded(const effect::ParameterInfo& p) {
    const double exact = effect::shownDefault(p);
    const double scale = std::pow(10.0, p.decimals);
    const double rounded = std::round(exact * scale) / scale;
    return effect::normalisedFor(p, rounded) == p.defaultNormalised ? rounded : exact;
}

std::string controlPort(const effect::ParameterInfo& p, std::uint32_t index) {
    using effect::ParameterKind;
    std::string text = portStart("lv2:ControlPort , lv2:InputPort", index, p.symbol, p.name);
    text += "        lv2:default " + number(shownDefaultRounded(p)) + " ;\n";
    text += "        lv2:minimum " + number(effect::shownMinimum(p)) + " ;\n";
    text += "        lv2:maximum " + number(effect::shownMaximum(p)) + " ;\n";
    switch (p.kind) {
        case ParameterKind::continuous:
            break;
        case ParameterKind::integer:
            text += "        lv2:portProperty lv2:integer ;\n";
            break;
        case ParameterKind::enumeration:
            text += "        lv2:portProperty lv2:integer , lv2:enumeration ;\n";
            break;
        case ParameterKind::toggle:
            text += "        lv2:portProperty lv2:toggled ;\n";
            break;
    }
    if (!p.label.empty()) text += "        units:unit " + unitFor(p.label) + " ;\n";
    for (std::size_t i = 0; i < p.scalePoints.size(); ++i) {
        const effect::ScalePoint& point = p.scalePoints[i];
        text += i == 0 ? "        lv2:scalePoint " : " ,\n            ";
        text += "[ rdfs:label " + quoted(point.label) + " ; rdf:value " + number(point.shown) + " ]";
    }
    if (!p.scalePoints.empty()) text += " ;\n";
    return text + "    ]";
}

}  // namespace

std::string manifestText(std::span<const PluginDescription* const> plugins, std::string_view binaryFile) {
    std::string text(kPrefixes);
    for (const PluginDescription* plugin : plugins) {
        text += "\n<" + std::string(plugin->uri) + ">\n    a lv2:Plugin ;\n    lv2:binary <" +
                std::string(binaryFile) + "> ;\n    rdfs:seeAlso <" + std::string(plugin->turtleFile) +
                "> .\n";
    }
    return text;
}

std::string pluginText(const PluginDescription& plugin) {
    std::string text(kPrefixes);
    text += "\n<" + std::string(plugin.uri) + ">\n    a lv2:Plugin , lv2:UtilityPlugin ;\n";
    text += "    doap:name " + quoted(plugin.name) + " ;\n";
    text += "    lv2:project <" + std::string(kProjectUri) + "> ;\n";
    text += "    lv2:optionalFeature lv2:hardRTCapable ;\n";
    text += "    lv2:port\n";
    text += audioPort("lv2:InputPort", kInputLeftPort, "in_l", "Left in") + " ,\n";
    text += audioPort("lv2:InputPort", kInputRightPort, "in_r", "Right in") + " ,\n";
    text += audioPort("lv2:OutputPort", kOutputLeftPort, "out_l", "Left out") + " ,\n";
    text += audioPort("lv2:OutputPort", kOutputRightPort, "out_r", "Right out") + " ,\n";
    text += latencyPort(plugin);
    for (std::uint32_t port = kFirstControlPort; port < portCount(plugin); ++port) {
        text += " ,\n" + controlPort(*controlInfo(plugin, port), port);
    }
    // The vendor belongs to the project (doap:maintainer's domain); hosts
    // show it for every plug-in of the project.
    text +=
        " .\n\n<" + std::string(kProjectUri) + ">\n    a doap:Project ;\n    doap:name \"Sarnovellite\" ;\n";
    text += "    doap:maintainer [ a foaf:Person ; foaf:name " + quoted(kVendor) + " ] .\n";
    return text;
}

}  // namespace sarnovellite::lv2
