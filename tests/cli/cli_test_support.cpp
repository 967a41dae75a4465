#include "tests/cli/cli_test_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::vector<std::string> mergedEnvironment(const std::map<std::string, std::string>& extra) {
    std::vector<std::string> merged;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string key = entry.substr(0, entry.find('='));
        if (extra.count(key) == 0) merged.push_back(entry);
    }
    for (const auto& [key, value] : extra) merged.push_back(key + "=" + value);
    return merged;
}

int spawn(const std::vector<std::string>& args, const std::map<std::string, std::string>& environment,
          const std::string& outPath, const std::string& errPath) {
    std::vector<std::string> argv = {cliPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argvPointers;
    for (std::string& a : argv) argvPointers.push_back(a.data());
    argvPointers.push_back(nullptr);
    std::vector<std::string> env = mergedEnvironment(environment);
    std::vector<char*> envPointers;
    for (std::string& e : env) envPointers.push_back(e.data());
    envPointers.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    const int rc =
        posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, argvPointers.data(), envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
    return pid;
}

}  // namespace

int waitCli(int pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

CliRun runCli(const std::vector<std::string>& args, const std::map<std::string, std::string>& environment) {
    char outTemplate[] = "/tmp/sarnovellite-test-out-XXXXXX";
    char errTemplate[] = "/tmp/sarnovellite-test-err-XXXXXX";
    close(mkstemp(outTemplate));
    close(mkstemp(errTemplate));
    CliRun run;
    run.exitStatus = waitCli(spawn(args, environment, outTemplate, errTemplate));
    run.out = readText(outTemplate);
    run.err = readText(errTemplate);
    unlink(outTemplate);
    unlink(errTemplate);
    return run;
}

int startCli(const std::vector<std::string>& args, const std::map<std::string, std::string>& environment,
             const std::string& errPath) {
    return spawn(args, environment, "/dev/null", errPath);
}

ScratchFolder::ScratchFolder() {
    char pattern[] = "/tmp/sarnovellite-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(root_, ec);
}

std::vector<std::string> ScratchFolder::list() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

// libsndfile's sf_writef_float and sf_writef_int share one shape; `write` picks.
template <typename Sample, typename Write>
void writeSoundFile(const std::string& path, int format, int rate, int channels,
                    const std::vector<Sample>& interleaved, Write write) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
    write(file, interleaved.data(), static_cast<sf_count_t>(interleaved.size() / channels));
    sf_close(file);
}

}  // namespace

void writeFloatFile(const std::string& path, int format, int rate, int channels,
                    const std::vector<float>& interleaved) {
    writeSoundFile(path, format, rate, channels, interleaved, sf_writef_float);
}

void writeIntFile(const std::string& path, int format, int rate, int channels,
                  const std::vector<int>& interleaved) {
    writeSoundFile(path, format, rate, channels, interleaved, sf_writef_int);
}

SoundData readSound(const std::string& path) {
    SoundData data;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &data.info);
    if (file == nullptr) throw std::runtime_error("cannot read " + path + ": " + sf_strerror(nullptr));
    const auto samples = static_cast<std::size_t>(data.info.frames * data.info.channels);
    data.ints.resize(samples);
    data.floats.resize(samples);
    sf_readf_int(file, data.ints.data(), data.info.frames);
    sf_seek(file, 0, SEEK_SET);
    sf_readf_float(file, data.floats.data(), data.info.frames);
    data.doubles.resize(samples);
    sf_seek(file, 0, SEEK_SET);
    sf_readf_double(file, data.doubles.data(), data.info.frames);
    sf_close(file);
    return data;
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<float> noise(long long frames, int channels, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(-0.45f, 0.45f);
    std::vector<float> samples(static_cast<std::size_t>(frames * channels));
    for (float& x : samples) x = unit(random);
    return samples;
}

std::vector<float> smoothSignal(std::int64_t frames, int channels, int rate, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<float> samples(static_cast<std::size_t>(frames * channels));
    for (int c = 0; c < channels; ++c) {
        double hz[3], phase[3], amplitude[3];
        for (int k = 0; k < 3; ++k) {
            hz[k] = 110.0 + 880.0 * unit(random);
            phase[k] = 6.283185307179586 * unit(random);
            amplitude[k] = 0.05 + 0.12 * unit(random);
        }
        for (std::int64_t i = 0; i < frames; ++i) {
            double v = 0.0;
            for (int k = 0; k < 3; ++k)
                v += amplitude[k] * std::sin(6.283185307179586 * hz[k] * i / rate + phase[k]);
            // Fades in and out over 10 ms: a file that starts or stops at full
            // swing has a real step at its edge, which a click remover may treat.
            const double edge = std::min<double>(i, frames - 1 - i) / (0.01 * rate);
            if (edge < 1.0) v *= 0.5 - 0.5 * std::cos(3.141592653589793 * edge);
            samples[static_cast<std::size_t>(i * channels + c)] = static_cast<float>(v);
        }
    }
    return samples;
}

std::string cliPath() { return SARNOVELLITE_CLI_PATH; }
std::string realPluginPath() { return SARNOVELLITE_PLUGIN_PATH; }
