#include "bench/quality/contenders.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace {
std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string replaceAll(std::string s, const std::string& what, const std::string& with) {
    for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + with.size()))
        s.replace(at, what.size(), with);
    return s;
}

bool executable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

std::string commandOutput(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
        pclose(pipe);
    }
    return text;
}

std::vector<double> monoSum(const Audio& a) {
    std::vector<double> m(a.frames(), 0.0);
    for (const auto& c : a.channels)
        for (std::size_t i = 0; i < m.size(); ++i) m[i] += c[i];
    return m;
}
}  // namespace

Contender parseContender(const std::string& text) {
    const std::size_t eq = text.find('=');
    if (eq == 0 || eq == std::string::npos)
        throw std::invalid_argument("contender '" + text + "' is not NAME=COMMAND");
    Contender c{text.substr(0, eq), text.substr(eq + 1)};
    if (c.command.find("{in}") == std::string::npos || c.command.find("{out}") == std::string::npos)
        throw std::invalid_argument("contender '" + c.name + "' needs both {in} and {out} in its command");
    return c;
}

std::string findCli(const std::string& hint) {
    if (!hint.empty()) return hint;
    for (const char* build : {SARNOVELLITE_BUILD_DIR, "build/default"})
        for (const char* folder : {"/cli/", "/tools/"})
            if (executable(std::string(build) + folder + "sarnovellite"))
                return std::string(build) + folder + "sarnovellite";
    return {};
}

std::vector<Contender> defaultContenders(const std::string& cli) {
    std::vector<Contender> set;
    if (!cli.empty()) {
        const std::string host = quoted(cli);
        for (int level : {1, 3, 5})
            set.push_back({"classic-s" + std::to_string(level),
                           host + " -q -s " + std::to_string(level) + " {in} {out}"});
        const std::string help = commandOutput(host + " --help 2>&1");
        if (help.find("--method") != std::string::npos && help.find("restore") != std::string::npos)
            set.push_back({"restore", host + " -q -m restore {in} {out}"});
    }
    if (std::system("command -v ffmpeg >/dev/null 2>&1") == 0) {
        const std::string ffmpeg = "ffmpeg -nostdin -hide_banner -loglevel error -y -i {in} -af ";
        set.push_back({"adeclick", ffmpeg + "adeclick -c:a pcm_f32le {out}"});
        set.push_back({"adeclick-m=s", ffmpeg + "adeclick=m=s -c:a pcm_f32le {out}"});
    }
    return set;
}

RunResult run(const Contender& contender, const std::string& in, const std::string& out,
              const std::string& log) {
    const std::string command =
        replaceAll(replaceAll(contender.command, "{in}", quoted(in)), "{out}", quoted(out));
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system((command + " >" + quoted(log) + " 2>&1 </dev/null").c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status == 0) return {true, seconds, {}};
    std::ifstream text(log);
    std::string line,
        last = "exit status " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : status);
    while (std::getline(text, line))
        if (!line.empty()) last = line;
    return {false, seconds, last};
}

long detectLag(const Audio& input, const Audio& output, long maxLag) {
    const std::vector<double> a = monoSum(input), b = monoSum(output);
    double residual = 0, energy = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        residual += (b[i] - a[i]) * (b[i] - a[i]), energy += a[i] * a[i];
    if (residual <= 0.25 * energy) return 0;
    const long n = static_cast<long>(a.size()), window = std::min(16384L, n / 2), from = (n - window) / 2;
    maxLag = std::min(maxLag, from);
    long best = 0;
    double bestScore = -1;
    for (long lag = -maxLag; lag <= maxLag; ++lag) {
        double cross = 0, power = 1e-30;
        for (long i = from; i < from + window; ++i)
            cross += a[i] * b[i + lag], power += b[i + lag] * b[i + lag];
        const double score = cross / std::sqrt(power);
        if (score > bestScore) bestScore = score, best = lag;
    }
    return best;
}
