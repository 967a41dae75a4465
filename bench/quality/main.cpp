// bench_quality: how well each contender repairs synthetic damage on clean
// material, and what it changes on the clean material itself. Never pass/fail.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>

#include "bench/quality/contenders.h"
#include "bench/quality/damage.h"
#include "bench/quality/material.h"
#include "bench/quality/table.h"

namespace fs = std::filesystem;

namespace {
const char* kUsage = R"(Usage: bench_quality [options]

Damages clean material with known masks, runs every contender on the damaged
and on the clean files, and prints one table. Never pass/fail.

  --contender NAME=CMD  a command template with {in} and {out} (repeatable);
                        without any, the default set (see --defaults)
  --defaults            add the default set to the given contenders: the
                        command-line host at -s 1, 3, 5, its restore method
                        when it has one, ffmpeg adeclick and adeclick=m=s
  --cli PATH            the sarnovellite executable for the default set
                        (default: found in the build tree)
  --clips LIST          synthetic clips, KIND[:RATE],... of speech, piano,
                        orchestra, drums, percussion, tones, quiet, mix;
                        "none" for real material only (default: all eight)
  --material DIR        also clips cut from the audio files under DIR
                        (repeatable; see README.md)
  --seconds S           length of each clip or excerpt (default 10)
  --seed N              material and damage seed (default 1)
  --density X           damage events per second, times X (default 1)
  --keep DIR            keep the clean, damaged and output files in DIR
  --csv FILE            also write the table as CSV
  --by-clip             also print a line per contender and clip
  -h, --help            this text
)";

struct Options {
    std::vector<Contender> contenders;
    bool defaults = false, byClip = false;
    std::string cli, clips, keep, csv;
    std::vector<std::string> material;
    double seconds = 10, density = 1;
    std::uint64_t seed = 1;
};

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::invalid_argument(a + " needs a value");
            return argv[++i];
        };
        if (a == "-h" || a == "--help") {
            std::cout << kUsage;
            std::exit(0);
        } else if (a == "--contender")
            o.contenders.push_back(parseContender(value()));
        else if (a == "--defaults")
            o.defaults = true;
        else if (a == "--by-clip")
            o.byClip = true;
        else if (a == "--cli")
            o.cli = value();
        else if (a == "--clips")
            o.clips = value();
        else if (a == "--material")
            o.material.push_back(value());
        else if (a == "--keep")
            o.keep = value();
        else if (a == "--csv")
            o.csv = value();
        else if (a == "--seconds")
            o.seconds = std::stod(value());
        else if (a == "--density")
            o.density = std::stod(value());
        else if (a == "--seed")
            o.seed = std::stoull(value());
        else
            throw std::invalid_argument("unknown option " + a + " (see --help)");
    }
    if (!(o.seconds >= 1 && o.seconds <= 600)) throw std::invalid_argument("--seconds must be 1..600");
    if (!(o.density > 0 && o.density <= 20)) throw std::invalid_argument("--density must be in (0, 20]");
    return o;
}

// Float WAV is what every contender reads, so the reference is float too.
void roundToFloat(Audio& a) {
    for (auto& c : a.channels)
        for (double& s : c) s = static_cast<float>(s);
}

struct Item {
    Clip clip;
    Damaged damaged;
    std::string cleanPath, damagedPath;
};

std::vector<Item> makeCorpus(const Options& o, const fs::path& work) {
    std::vector<Clip> clips;
    const auto requests = o.clips == "none" ? std::vector<ClipRequest>{}
                          : o.clips.empty() ? defaultClips()
                                            : parseClips(o.clips);
    for (std::size_t i = 0; i < requests.size(); ++i)
        clips.push_back(synthesise(requests[i], o.seconds, o.seed * 7919 + i));
    for (const std::string& folder : o.material)
        for (Clip& c : realExcerpts(folder, o.seconds)) clips.push_back(std::move(c));
    if (clips.empty()) throw std::invalid_argument("no material");
    fs::create_directories(work / "clean");
    fs::create_directories(work / "damaged");
    std::vector<Item> items;
    for (std::size_t i = 0; i < clips.size(); ++i) {
        Item item{std::move(clips[i]), {}, {}, {}};
        roundToFloat(item.clip.clean);
        item.damaged = damage(item.clip.clean, o.seed * 104729 + i, o.density);
        roundToFloat(item.damaged.audio);
        const std::string file = std::to_string(i + 1) + "-" + item.clip.name + ".wav";
        item.cleanPath = (work / "clean" / file).string();
        item.damagedPath = (work / "damaged" / file).string();
        writeAudio(item.cleanPath, item.clip.clean);
        writeAudio(item.damagedPath, item.damaged.audio);
        items.push_back(std::move(item));
    }
    return items;
}

void describe(const std::vector<Item>& items) {
    std::size_t counts[kDamageKinds] = {};
    double seconds = 0;
    for (const Item& it : items) {
        seconds += it.clip.clean.seconds();
        for (const DamageEvent& e : it.damaged.events) ++counts[static_cast<int>(e.kind)];
    }
    std::cout << items.size() << " clips, " << std::lround(seconds) << " s:";
    for (const Item& it : items) std::cout << ' ' << it.clip.name;
    std::cout << "\nevents (per channel):";
    for (int k = 0; k < kDamageKinds; ++k)
        std::cout << ' ' << damageName(static_cast<DamageKind>(k)) << ' ' << counts[k];
    std::cout << "\n\n";
}

// Runs one file through a contender and reads what it wrote back, or says why
// it cannot be scored.
bool process(const Contender& c, const std::string& in, const Audio& input, const std::string& out, Row& row,
             Audio& output) {
    const RunResult result = run(c, in, out, out + ".log");
    row.wallSeconds += result.seconds;
    row.audioSeconds += input.seconds();
    std::string problem = result.ok ? "" : "failed: " + result.error;
    if (problem.empty()) {
        try {
            output = readAudio(out);
        } catch (const std::exception& e) {
            problem = e.what();
        }
    }
    if (problem.empty() && (output.rate != input.rate || output.channels.size() != input.channels.size() ||
                            output.frames() != input.frames()))
        problem = "wrote " + std::to_string(output.channels.size()) + " ch, " + std::to_string(output.rate) +
                  " Hz, " + std::to_string(output.frames()) + " frames; expected " +
                  std::to_string(input.channels.size()) + " ch, " + std::to_string(input.rate) + " Hz, " +
                  std::to_string(input.frames());
    if (problem.empty())
        if (const long lag = detectLag(input, output, input.rate / 4))
            problem = "output lags its input by " + std::to_string(lag) + " frames";
    if (problem.empty()) return true;
    std::cout << c.name << " -> " << fs::path(out).filename().string() << ": " << problem
              << " (not scored)\n";
    ++row.clipsSkipped;
    return false;
}

Row evaluate(const Contender& c, const std::vector<Item>& items, const fs::path& work, bool byClip) {
    Row row{c.name, {}, 0, 0, 0};
    const fs::path folder = work / ("out-" + c.name);
    fs::create_directories(folder);
    for (const Item& it : items) {
        if (isatty(2)) std::cerr << "\r" << c.name << ": " << it.clip.name << "            " << std::flush;
        Tally clip;
        Audio output;
        const std::string name = fs::path(it.damagedPath).filename().string();
        if (process(c, it.damagedPath, it.damaged.audio, (folder / name).string(), row, output))
            clip.addRepair(it.clip.clean, it.damaged, output);
        if (process(c, it.cleanPath, it.clip.clean, (folder / ("clean-" + name)).string(), row, output))
            clip.addClean(it.clip.clean, output);
        if (byClip) printClipLine(std::cout, c.name, it.clip.name, clip);
        row.tally.add(clip);
    }
    if (isatty(2)) std::cerr << "\r" << std::string(60, ' ') << "\r";
    return row;
}
}  // namespace

int main(int argc, char** argv) {
    try {
        Options o = parse(argc, argv);
        if (o.contenders.empty() || o.defaults)
            for (Contender& c : defaultContenders(findCli(o.cli))) o.contenders.push_back(c);
        if (o.contenders.empty())
            throw std::invalid_argument("no contenders (no sarnovellite found, no ffmpeg)");
        fs::path work = o.keep;
        if (work.empty()) {
            std::string pattern = (fs::temp_directory_path() / "bench-quality-XXXXXX").string();
            if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a work folder");
            work = pattern;
        }
        const std::vector<Item> items = makeCorpus(o, work);
        describe(items);
        std::vector<Row> rows;
        for (const Contender& c : o.contenders) rows.push_back(evaluate(c, items, work, o.byClip));
        std::cout << '\n';
        printTable(std::cout, rows);
        if (!o.csv.empty()) {
            std::ofstream csv(o.csv);
            printCsv(csv, rows);
        }
        if (o.keep.empty())
            fs::remove_all(work);
        else
            std::cout << "files kept in " << work.string() << '\n';
    } catch (const std::exception& e) {
        std::cerr << "bench_quality: " << e.what() << '\n';
        return 2;
    }
}
