// Helpers for driving the built `sarnovellite` executable from tests: running
// it, scratch folders, and writing and reading sound files with libsndfile.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct CliRun {
    int exitStatus = -1;  // 128 + signal when killed by a signal
    std::string out;
    std::string err;
};

// Runs the executable with `args`; `environment` entries are added to the
// inherited environment.
CliRun runCli(const std::vector<std::string>& args,
              const std::map<std::string, std::string>& environment = {});

// Starts the executable and returns its process id (stdout to /dev/null,
// stderr to errPath).
int startCli(const std::vector<std::string>& args, const std::map<std::string, std::string>& environment,
             const std::string& errPath = "/dev/null");
// Waits for a started process; returns its exit status as CliRun does.
int waitCli(int pid);

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    std::string path(const std::string& name) const { return root_ + "/" + name; }
    const std::string& root() const { return root_; }
    // Names in the folder, sorted (hidden files included).
    std::vector<std::string> list() const;

private:
    std::string root_;
};

// Samples as libsndfile's int interface sees them (left-justified 32-bit) for
// integer encodings, or as floats.
struct SoundData {
    SF_INFO info{};
    std::vector<int> ints;
    std::vector<float> floats;
    std::vector<double> doubles;
};

void writeFloatFile(const std::string& path, int format, int rate, int channels,
                    const std::vector<float>& interleaved);
// Integer samples already left-justified to 32 bits (16-bit value << 16, 24-bit << 8).
void writeIntFile(const std::string& path, int format, int rate, int channels,
                  const std::vector<int>& interleaved);
SoundData readSound(const std::string& path);

std::string readText(const std::string& path);
void writeText(const std::string& path, const std::string& text);

// A smooth, click-free test signal: a few sines per channel with seeded
// frequencies, phases and amplitudes, peak below 0.6, faded in and out.
std::vector<float> smoothSignal(std::int64_t frames, int channels, int rate, unsigned seed);

// Seeded uniform noise in [-0.45, 0.45], interleaved.
std::vector<float> noise(long long frames, int channels, unsigned seed);

// Paths of the executable and the plug-ins the tests use.
std::string cliPath();
std::string realPluginPath();  // empty when the tree has no Sarnovellite target
