// Keeps speed work honest: runs the stream engine over the benchmark materials
// (each at the most and the least sensitive level) and either saves the
// outputs or compares them with outputs saved by an earlier build.
//
//   engine_fidelity --save FILE      write every output sample (raw floats)
//   engine_fidelity --compare FILE   exit 1 unless the outputs match FILE
//
// Matching means: a sample the saved run passed through unchanged (equal to
// its input) is bit-identical now; a sample the saved run repaired may differ
// by at most 1e-6, the rounding a different transform kernel leaves in the
// band-limited fill. Anything else (another period chosen, another region
// found) shows up as a difference far above that.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "dsp/primitive_dispatch.h"
#include "engine/tqc_stream_engine.h"
#include "engine_materials.h"

namespace {

constexpr int kHostBlock = 512;
constexpr int kDelay = 2048;
constexpr double kFillTolerance = 1e-6;

std::vector<float> runEngine(const std::vector<float>& material, int level) {
    TQCStreamEngine engine(2048, 2);
    engine.detector().setSensitivity(level);
    engine.detector().setClickGap(32);
    std::vector<float> out(material.size());
    for (size_t pos = 0; pos + 2 * kHostBlock <= material.size(); pos += 2 * kHostBlock)
        engine.process(kHostBlock * 8, material.data() + pos, out.data() + pos);
    return out;
}

struct Comparison {
    int64_t changedOutside = 0;   // differs where the saved run passed the input through
    int64_t beyondTolerance = 0;  // a repaired sample moved by more than the tolerance
    int64_t differing = 0;
    double largest = 0.0;
};

Comparison compare(const std::vector<float>& input, const std::vector<float>& saved,
                   const std::vector<float>& now) {
    Comparison c;
    for (size_t i = 2 * kDelay; i < now.size(); ++i) {
        if (std::memcmp(&saved[i], &now[i], sizeof(float)) == 0) continue;
        ++c.differing;
        const bool passedThrough = std::memcmp(&saved[i], &input[i - 2 * kDelay], sizeof(float)) == 0;
        const double difference = std::fabs(static_cast<double>(saved[i]) - now[i]);
        c.largest = std::max(c.largest, difference);
        if (passedThrough)
            ++c.changedOutside;
        else if (!(difference <= kFillTolerance))
            ++c.beyondTolerance;
    }
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::string(argv[1]) != "--save" && std::string(argv[1]) != "--compare")) {
        std::fprintf(stderr, "usage: engine_fidelity --save FILE | --compare FILE\n");
        return 2;
    }
    const bool save = std::string(argv[1]) == "--save";
    SelectPrimitiveClass();
    const struct {
        const char* name;
        std::vector<float> (*make)();
    } materials[] = {{"click-free", engine_materials::musicLike},
                     {"dense crackle", engine_materials::denseCrackle},
                     {"periodic", engine_materials::periodicWithClicks},
                     {"long scratch", engine_materials::longScratch}};
    std::fstream file(argv[2], save ? std::ios::out | std::ios::binary : std::ios::in | std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "engine_fidelity: cannot open %s\n", argv[2]);
        return 2;
    }
    bool ok = true;
    for (const auto& m : materials) {
        const std::vector<float> input = m.make();
        for (int level : {0, 4}) {
            const std::vector<float> now = runEngine(input, level);
            const auto bytes = static_cast<std::streamsize>(now.size() * sizeof(float));
            if (save) {
                file.write(reinterpret_cast<const char*>(now.data()), bytes);
                continue;
            }
            std::vector<float> saved(now.size());
            if (!file.read(reinterpret_cast<char*>(saved.data()), bytes)) {
                std::fprintf(stderr, "engine_fidelity: %s is shorter than this run's output\n", argv[2]);
                return 2;
            }
            const Comparison c = compare(input, saved, now);
            std::printf(
                "%-14s level %d: %lld samples differ (largest %.3g), %lld outside repairs, %lld beyond "
                "%.0e\n",
                m.name, level, static_cast<long long>(c.differing), c.largest,
                static_cast<long long>(c.changedOutside), static_cast<long long>(c.beyondTolerance),
                kFillTolerance);
            ok = ok && c.changedOutside == 0 && c.beyondTolerance == 0;
        }
    }
    if (!save) std::printf("%s\n", ok ? "outputs match" : "OUTPUTS DIFFER");
    return ok ? 0 : 1;
}
