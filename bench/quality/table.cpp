#include "bench/quality/table.h"

#include <cmath>
#include <cstdio>

namespace {
std::string format(const char* pattern, double a, double b = 0) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

std::string db(double value) {
    if (std::isnan(value)) return "-";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    return format("%.1f", value);
}

std::string share(const KindTally& k, bool worse = false) {
    return k.events ? format("%.1f", percent(worse ? k.worse : k.fixed, k.events)) : "-";
}

struct Columns {
    std::vector<std::string> cells;
};

Columns columns(const Row& r) {
    const Tally& t = r.tally;
    Columns c;
    c.cells.push_back(r.name + (r.clipsSkipped ? "*" : ""));
    for (const KindTally& k : t.kinds) c.cells.push_back(share(k));
    c.cells.push_back(share(t.all()));
    c.cells.push_back(share(t.all(), true));
    c.cells.push_back(db(decibels(t.maskSignal, t.maskBefore)) + " -> " +
                      db(decibels(t.maskSignal, t.maskAfter)));
    c.cells.push_back(db(decibels(t.signal, t.errorBefore)) + " -> " + db(decibels(t.signal, t.errorAfter)));
    c.cells.push_back(t.outsideSamples ? db(decibels(t.outsideChange, static_cast<double>(t.outsideSamples)))
                                       : "-");
    c.cells.push_back(t.cleanSamples ? format("%.4f", percent(t.cleanChanged, t.cleanSamples)) : "-");
    c.cells.push_back(t.cleanSeconds > 0 ? format("%.1f", t.cleanRegions / (t.cleanSeconds / 60)) : "-");
    c.cells.push_back(r.wallSeconds > 0 ? format(r.audioSeconds < 10 * r.wallSeconds ? "%.1fx" : "%.0fx",
                                                 r.audioSeconds / r.wallSeconds)
                                        : "-");
    return c;
}

const std::vector<std::string> kHeader = {
    "contender", "impulse",       "click",       "crackle",    "scratch",     "thump",       "all",
    "worse",     "SNR in damage", "SNR overall", "collateral", "clean chg %", "regions/min", "speed"};
}  // namespace

void printTable(std::ostream& out, const std::vector<Row>& rows) {
    std::vector<std::vector<std::string>> lines = {kHeader};
    for (const Row& r : rows) lines.push_back(columns(r).cells);
    std::vector<std::size_t> width(kHeader.size(), 0);
    for (const auto& line : lines)
        for (std::size_t i = 0; i < line.size(); ++i) width[i] = std::max(width[i], line[i].size());
    for (const auto& line : lines) {
        for (std::size_t i = 0; i < line.size(); ++i) {
            const std::string pad(width[i] - line[i].size(), ' ');
            out << (i ? "  " : "") << (i ? pad + line[i] : line[i] + pad);
        }
        out << '\n';
    }
    out << "\nimpulse..all: events fixed (gain >= 10 dB over the event +-4 samples), %; worse: gain < -1 dB, "
           "%\n"
           "SNR: clean against damaged -> against output, inside the damage masks and over whole files\n"
           "collateral: RMS of what changed outside the events, dBFS; clean chg / regions/min: on the "
           "undamaged\n"
           "material, share of samples changed and changed places a minute; speed: audio seconds per wall "
           "second\n";
    for (const Row& r : rows)
        if (r.clipsSkipped) {
            out << "* some clips not scored, see above\n";
            break;
        }
}

void printCsv(std::ostream& out, const std::vector<Row>& rows) {
    out << "contender,clips_skipped";
    for (int k = 0; k < kDamageKinds; ++k)
        out << ',' << damageName(static_cast<DamageKind>(k)) << "_events,"
            << damageName(static_cast<DamageKind>(k)) << "_fixed_pct";
    out << ",all_events,all_fixed_pct,worse_pct,snr_mask_before_db,snr_mask_after_db,snr_before_db,snr_after_"
           "db,"
           "collateral_dbfs,clean_changed_pct,clean_regions_per_min,realtime_factor\n";
    for (const Row& r : rows) {
        const Tally& t = r.tally;
        const KindTally all = t.all();
        out << r.name << ',' << r.clipsSkipped;
        for (const KindTally& k : t.kinds) out << ',' << k.events << ',' << percent(k.fixed, k.events);
        out << ',' << all.events << ',' << percent(all.fixed, all.events) << ','
            << percent(all.worse, all.events) << ',' << decibels(t.maskSignal, t.maskBefore) << ','
            << decibels(t.maskSignal, t.maskAfter) << ',' << decibels(t.signal, t.errorBefore) << ','
            << decibels(t.signal, t.errorAfter) << ','
            << decibels(t.outsideChange, static_cast<double>(t.outsideSamples)) << ','
            << percent(t.cleanChanged, t.cleanSamples) << ','
            << (t.cleanSeconds > 0 ? t.cleanRegions / (t.cleanSeconds / 60) : 0.0) << ','
            << (r.wallSeconds > 0 ? r.audioSeconds / r.wallSeconds : 0.0) << '\n';
    }
}

void printClipLine(std::ostream& out, const std::string& contender, const std::string& clip, const Tally& t) {
    const KindTally all = t.all();
    char text[256];
    std::snprintf(text, sizeof text,
                  "  %-16s %-22s fixed %5.1f %%  worse %4.1f %%  SNR %s -> %s dB  clean %.4f %% %5.1f/min\n",
                  contender.c_str(), clip.c_str(), percent(all.fixed, all.events),
                  percent(all.worse, all.events), db(decibels(t.signal, t.errorBefore)).c_str(),
                  db(decibels(t.signal, t.errorAfter)).c_str(), percent(t.cleanChanged, t.cleanSamples),
                  t.cleanSeconds > 0 ? t.cleanRegions / (t.cleanSeconds / 60) : 0.0);
    out << text;
}
