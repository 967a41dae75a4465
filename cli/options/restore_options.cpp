#include "options/restore_options.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "base/tool_error.h"
#include "effect/parameters/restore_parameters.h"

namespace {

namespace table = sarnovellite::effect::restore_parameters;
using sarnovellite::effect::ParameterInfo;

std::string optionName(const ParameterInfo& p) {
    std::string name = "--" + std::string(p.symbol);
    for (char& c : name) c = c == '_' ? '-' : c;
    return name;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return out;
}

std::string shownNumber(const ParameterInfo& p, double shown) {
    char text[32];
    sarnovellite::effect::formatValue(p, shown - p.shownOffset, text, sizeof text);
    if (!p.scalePoints.empty()) std::snprintf(text, sizeof text, "%g", shown);
    return text;
}

[[noreturn]] void refuse(const std::string& name, const std::string& value, const std::string& takes) {
    throw ToolError(ExitStatus::usage,
                    "option " + name + ": '" + value + "' is not " + takes + " (try --help)");
}

std::string stepNames(const ParameterInfo& p) {
    std::string names;
    for (std::size_t k = 0; k < p.scalePoints.size(); ++k) {
        if (k > 0) names += k + 1 == p.scalePoints.size() ? " or " : ", ";
        names += lowered(p.scalePoints[k].label);
    }
    return names;
}

double parsedValue(const ParameterInfo& p, const std::string& name, const std::string& value) {
    for (const auto& step : p.scalePoints) {
        if (lowered(value) == lowered(step.label)) return step.shown;
    }
    const double low = sarnovellite::effect::shownMinimum(p), high = sarnovellite::effect::shownMaximum(p);
    const std::string range = shownNumber(p, low) + ".." + shownNumber(p, high) +
                              (p.label.empty() ? "" : " " + std::string(p.label));
    errno = 0;
    char* end = nullptr;
    const double number = value.empty() ? NAN : std::strtod(value.c_str(), &end);
    if (errno != 0 || !std::isfinite(number) || end != value.c_str() + value.size())
        refuse(name, value, p.scalePoints.empty() ? "a number in " + range : stepNames(p));
    if (sarnovellite::effect::isStepped(p) && number != std::floor(number))
        refuse(name, value, p.scalePoints.empty() ? "a whole number" : stepNames(p));
    if (number < low || number > high)
        refuse(name, value, p.scalePoints.empty() ? "in " + range : stepNames(p));
    return number;
}

}  // namespace

const ParameterInfo* restoreOption(std::string_view name) {
    for (const ParameterInfo& p : table::kTable) {
        if (optionName(p) == name) return &p;
    }
    return nullptr;
}

void setRestoreOption(CliOptions& options, const std::string& name, const std::string& value) {
    const ParameterInfo* p = restoreOption(name);
    if (p == nullptr) throw ToolError(ExitStatus::usage, "unknown option '" + name + "' (try --help)");
    if (options.restoreValues.empty()) {
        for (const ParameterInfo& row : table::kTable)
            options.restoreValues.push_back(sarnovellite::effect::shownDefault(row));
    }
    const auto row = static_cast<std::size_t>(p - std::begin(table::kTable));
    options.restoreValues[row] = parsedValue(*p, name, value);
    options.restoreValuesGiven = true;
}

std::string restoreOptionNames() {
    std::string names;
    const std::size_t count = std::size(table::kTable);
    for (std::size_t k = 0; k < count; ++k) {
        if (k > 0) names += k + 1 == count ? " and " : ", ";
        names += optionName(table::kTable[k]);
    }
    return names;
}

std::string restoreOptionsHelp() {
    std::string help;
    for (const ParameterInfo& p : table::kTable) {
        const double shownDefault = sarnovellite::effect::shownDefault(p);
        std::string takes;
        std::string byDefault;
        if (p.scalePoints.empty()) {
            takes = "X";
            byDefault = shownNumber(p, sarnovellite::effect::shownMinimum(p)) + ".." +
                        shownNumber(p, sarnovellite::effect::shownMaximum(p)) +
                        (p.label.empty() ? "" : " " + std::string(p.label)) + " (default " +
                        shownNumber(p, shownDefault) + ")";
        } else {
            takes = "WORD";
            byDefault = stepNames(p) + " (default ";
            for (const auto& step : p.scalePoints) {
                if (step.shown == shownDefault) byDefault += lowered(step.label);
            }
            byDefault += ")";
        }
        std::string line = "      " + optionName(p) + " " + takes;
        line.resize(std::max<std::size_t>(line.size() + 1, 24), ' ');
        help += line + "restore: " + lowered(p.name) + ", " + byDefault + "\n";
    }
    return help;
}
