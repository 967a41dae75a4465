#include "bench/quality/material.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "bench/quality/voices.h"

namespace {
// Schroeder reverberator: four combs into two allpasses, delays in ms.
std::vector<double> room(const std::vector<double>& in, int rate, const double (&combMs)[4], double seconds) {
    std::vector<double> wet(in.size(), 0.0);
    for (double ms : combMs) {
        const std::size_t d = static_cast<std::size_t>(ms * 0.001 * rate);
        const double g = std::pow(10.0, -3.0 * ms * 0.001 / seconds);
        std::vector<double> y(in.size(), 0.0);
        for (std::size_t i = 0; i < in.size(); ++i) y[i] = in[i] + (i >= d ? g * y[i - d] : 0.0);
        for (std::size_t i = 0; i < in.size(); ++i) wet[i] += 0.25 * y[i];
    }
    for (double ms : {5.0, 1.7}) {
        const std::size_t d = static_cast<std::size_t>(ms * 0.001 * rate);
        std::vector<double> y(wet.size(), 0.0);
        for (std::size_t i = 0; i < wet.size(); ++i)
            y[i] = -0.7 * wet[i] + (i >= d ? wet[i - d] + 0.7 * y[i - d] : 0.0);
        wet.swap(y);
    }
    return wet;
}

double rms(const Audio& a) {
    double sum = 0;
    for (const auto& c : a.channels)
        for (double s : c) sum += s * s;
    return std::sqrt(sum / std::max<std::size_t>(1, a.frames() * a.channels.size()));
}

void scale(Audio& a, double gain) {
    for (auto& c : a.channels)
        for (double& s : c) s *= gain;
}

double peak(const Audio& a) {
    double p = 0;
    for (const auto& c : a.channels)
        for (double s : c) p = std::max(p, std::fabs(s));
    return p;
}

void perform(const std::string& kind, Bus& bus, Random& r) {
    auto part = [&](auto&& player, auto&&... args) {
        Random own = r.fork();
        player(bus, own, args...);
    };
    if (kind == "speech") part(speech);
    if (kind == "piano") part(piano);
    if (kind == "orchestra") part(orchestra);
    if (kind == "drums") part(drums, false);
    if (kind == "percussion") part(drums, true);
    if (kind == "tones") part(sustainedTones);
    if (kind == "quiet") part(pluckedGuitar);
    if (kind == "mix") {
        part(drums, false);
        part(bassLine);
        part(piano);
        part(orchestra);
        part(speech);
    }
}

void addRoom(Audio& a, const Bus& bus, const std::string& kind) {
    const double wetness = kind == "speech"      ? 0.08
                           : kind == "orchestra" ? 0.35
                           : kind == "drums"     ? 0.12
                                                 : 0.2;
    const auto wetLeft = room(bus.left, bus.rate, {29.7, 37.1, 41.1, 43.7}, 1.2);
    const auto wetRight = room(bus.right, bus.rate, {30.5, 36.3, 40.3, 44.9}, 1.2);
    a.channels = {bus.left, bus.right};
    for (std::size_t i = 0; i < a.frames(); ++i) {
        a.channels[0][i] += wetness * (wetLeft[i] + 0.3 * wetRight[i]);
        a.channels[1][i] += wetness * (wetRight[i] + 0.3 * wetLeft[i]);
    }
}

// Independent per channel in part, tilted towards the bass, at -78 dBFS RMS.
void addNoiseFloor(Audio& a, Random& r) {
    double left = 0, right = 0;
    for (std::size_t i = 0; i < a.frames(); ++i) {
        const double shared = r.gauss();
        left = 0.95 * left + 0.3 * (shared + r.gauss());
        right = 0.95 * right + 0.3 * (shared + r.gauss());
        a.channels[0][i] += 9.3e-5 * left;
        a.channels[1][i] += 9.3e-5 * right;
    }
}

void setLevel(Audio& a, const std::string& kind) {
    const double target = kind == "quiet" ? 0.0316 : kind == "mix" ? 0.28 : 0.1;
    scale(a, target / std::max(1e-12, rms(a)));
    if (kind == "mix") {
        for (auto& c : a.channels)
            for (double& s : c) s = 0.98 * std::tanh(s / 0.98);
    } else if (peak(a) > 0.9) {
        scale(a, 0.9 / peak(a));
    }
}
}  // namespace

const std::vector<std::string>& syntheticKinds() {
    static const std::vector<std::string> kinds = {"speech",     "piano", "orchestra", "drums",
                                                   "percussion", "tones", "quiet",     "mix"};
    return kinds;
}

std::vector<ClipRequest> defaultClips() {
    return {{"speech", 44100},     {"piano", 48000}, {"orchestra", 44100}, {"drums", 44100},
            {"percussion", 48000}, {"tones", 96000}, {"quiet", 48000},     {"mix", 44100}};
}

std::vector<ClipRequest> parseClips(const std::string& list) {
    std::vector<ClipRequest> out;
    std::size_t from = 0;
    while (from <= list.size()) {
        const std::size_t comma = std::min(list.find(',', from), list.size());
        const std::string item = list.substr(from, comma - from);
        from = comma + 1;
        if (item.empty()) continue;
        const std::size_t colon = item.find(':');
        ClipRequest request{item.substr(0, colon), 0};
        for (const auto& d : defaultClips())
            if (d.kind == request.kind) request.rate = d.rate;
        if (request.rate == 0) throw std::invalid_argument("unknown material kind '" + request.kind + "'");
        if (colon != std::string::npos) request.rate = std::stoi(item.substr(colon + 1));
        if (request.rate < 8000 || request.rate > 192000)
            throw std::invalid_argument("sample rate out of 8000..192000 in '" + item + "'");
        out.push_back(request);
    }
    return out;
}

Clip synthesise(const ClipRequest& request, double seconds, std::uint64_t seed) {
    Random r(seed);
    Bus bus(request.rate, static_cast<std::size_t>(seconds * request.rate));
    perform(request.kind, bus, r);
    const int tenths = (request.rate + 50) / 100;
    const std::string rate =
        std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "");
    Clip clip{request.kind + "-" + rate + "k", {}};
    clip.clean.rate = request.rate;
    addRoom(clip.clean, bus, request.kind);
    setLevel(clip.clean, request.kind);
    addNoiseFloor(clip.clean, r);
    return clip;
}

namespace {
// Stereo, so short files of mono and stereo can be joined; more than two
// channels are cut to the first two.
Audio asStereo(Audio a) {
    if (a.channels.size() == 1) a.channels.push_back(a.channels[0]);
    a.channels.resize(2);
    return a;
}

void append(Audio& to, const Audio& from, std::size_t start, std::size_t count) {
    for (std::size_t c = 0; c < 2; ++c)
        to.channels[c].insert(to.channels[c].end(), from.channels[c].begin() + start,
                              from.channels[c].begin() + start + count);
}
}  // namespace

std::vector<Clip> realExcerpts(const std::string& folder, double seconds) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<Clip> clips;
    bool joining = false;  // the last clip is short files joined, still open
    for (const auto& path : files) {
        Audio a;
        try {
            a = asStereo(readAudio(path.string()));
        } catch (const std::exception&) {
            continue;  // not audio libsndfile reads (texts, pictures, ...)
        }
        const std::size_t want = static_cast<std::size_t>(seconds * a.rate);
        if (a.frames() == 0) continue;
        if (a.frames() >= want / 2) {  // long enough: an excerpt from a third of the way in
            const std::size_t count = std::min(a.frames(), want),
                              start = std::min(a.frames() / 3, a.frames() - count);
            clips.push_back({path.stem().string(), silence(a.rate, 2, 0)});
            append(clips.back().clean, a, start, count);
            joining = false;
            continue;
        }
        Clip* open = joining ? &clips.back() : nullptr;
        if (!open || open->clean.rate != a.rate || open->clean.frames() + a.frames() > want) {
            clips.push_back({path.parent_path().filename().string() + "-" + path.stem().string() + "-etc",
                             silence(a.rate, 2, 0)});
            open = &clips.back();
        }
        append(open->clean, a, 0, a.frames());
        joining = true;
    }
    return clips;
}
