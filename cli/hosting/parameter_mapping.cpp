#include "hosting/parameter_mapping.h"

namespace table = sarnovellite::effect::sarnovellite_parameters;

float sensitivityParameterValue(int sensitivity) {
    return sarnovellite::effect::normalisedFor(table::kSensitivityInfo, sensitivity);
}

float clickGapParameterValue(int gapSamples) {
    return sarnovellite::effect::normalisedFor(table::kClickGapInfo, gapSamples);
}

namespace {

namespace restore_table = sarnovellite::effect::restore_parameters;

double shownAt(const std::vector<double>& shown, std::size_t row) {
    return row < shown.size() ? shown[row] : sarnovellite::effect::shownDefault(restore_table::kTable[row]);
}

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

}  // namespace

std::vector<double> restoreDefaults() {
    std::vector<double> values;
    for (const auto& p : restore_table::kTable) values.push_back(sarnovellite::effect::shownDefault(p));
    return values;
}

std::vector<RestoreParameterValue> restoreParameterValues(const std::vector<double>& shown) {
    std::vector<RestoreParameterValue> values;
    for (std::size_t row = 0; row < std::size(restore_table::kTable); ++row) {
        const auto& p = restore_table::kTable[row];
        values.push_back({p.index, sarnovellite::effect::normalisedFor(p, shownAt(shown, row))});
    }
    return values;
}

// The text the effect itself would show for the value that is sent.
std::vector<ShownRestoreSetting> shownRestoreSettings(const std::vector<double>& shown) {
    std::vector<ShownRestoreSetting> settings;
    for (std::size_t row = 0; row < std::size(restore_table::kTable); ++row) {
        const auto& p = restore_table::kTable[row];
        const float v = sarnovellite::effect::normalisedFor(p, shownAt(shown, row));
        char text[32];
        sarnovellite::effect::formatValue(p, sarnovellite::effect::mappedValue(p, v), text, sizeof text);
        const bool named = !p.scalePoints.empty();
        std::string full = text;
        if (!p.label.empty()) full += " " + std::string(p.label);
        settings.push_back({std::string(p.symbol), std::string(p.name), full,
                            sarnovellite::effect::shownValue(p, v), named});
    }
    return settings;
}

std::string restoreSettingsLine(const std::vector<double>& shown) {
    std::string line;
    for (const ShownRestoreSetting& s : shownRestoreSettings(shown)) {
        if (!line.empty()) line += "; ";
        line += lowered(s.name) + " " + (s.named ? lowered(s.text) : s.text);
    }
    return line;
}
