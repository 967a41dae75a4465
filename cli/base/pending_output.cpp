#include "base/pending_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "base/plugin_guard.h"
#include "base/tool_error.h"

namespace fs = std::filesystem;

namespace {

// The signal handler may only use async-signal-safe calls, so temporary paths
// live in fixed slots it can read without locks: a slot's path is written
// before its flag is raised and the flag is lowered before the slot is reused.
constexpr int kSlotCount = 256;
constexpr int kPathCapacity = 4096;
char slotPaths[kSlotCount][kPathCapacity];
std::atomic<int> slotInUse[kSlotCount];

int claimSlot(const std::string& path) {
    if (path.size() >= kPathCapacity) return -1;
    for (int i = 0; i < kSlotCount; ++i) {
        int expected = 0;
        if (slotInUse[i].compare_exchange_strong(expected, 1)) {
            std::memcpy(slotPaths[i], path.c_str(), path.size() + 1);
            slotInUse[i].store(2);
            return i;
        }
    }
    return -1;
}

void releaseSlot(int slot) {
    if (slot >= 0) slotInUse[slot].store(0);
}

void removeRegisteredFiles() {
    for (int i = 0; i < kSlotCount; ++i) {
        if (slotInUse[i].load() == 2) unlink(slotPaths[i]);
    }
}

// Decided once at start-up: isatty is not async-signal-safe.
bool stderrIsTerminal = false;

void writeToStderr(const char* text) {
    // A failed or short write cannot be reported anywhere; the status still is.
    const ssize_t ignored = write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

void onTerminatingSignal(int signal) {
    removeRegisteredFiles();
    // Clears a progress bar that would otherwise run into the shell prompt.
    if (stderrIsTerminal) writeToStderr("\r\033[K");
    writeToStderr("sarnovellite: interrupted; unfinished output removed\n");
    _exit(static_cast<int>(ExitStatus::interrupted));
    (void)signal;
}

const char* signalName(int signal) {
    switch (signal) {
        case SIGSEGV:
            return "SIGSEGV";
        case SIGBUS:
            return "SIGBUS";
        case SIGFPE:
            return "SIGFPE";
        case SIGILL:
            return "SIGILL";
        case SIGABRT:
            return "SIGABRT";
        default:
            return "a signal";
    }
}

void onCrash(int signal) {
    removeRegisteredFiles();
    if (insidePluginCall()) {
        if (stderrIsTerminal) writeToStderr("\r\033[K");
        writeToStderr("sarnovellite: plug-in ");
        writeToStderr(guardedPluginPath());
        writeToStderr(" crashed (");
        writeToStderr(signalName(signal));
        writeToStderr("); unfinished output removed\n");
    }
    // The handler was reset on entry (SA_RESETHAND): raising again takes the
    // default action, so the crash is reported as the crash it is.
    raise(signal);
}

// Read once before any thread starts: umask can only be read by setting it.
const mode_t processUmask = [] {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}();

std::string systemReason() { return std::strerror(errno); }

constexpr const char* kPartialMarker = ".sarnovellite-partial-";

// The process id in a temporary output's name, or 0 when it is none.
long ownerOfPartial(const std::string& name) {
    const std::size_t at = name.rfind(kPartialMarker);
    if (at == std::string::npos) return 0;
    const std::string rest = name.substr(at + std::strlen(kPartialMarker));
    const std::size_t dash = rest.find('-');
    if (dash == std::string::npos || dash == 0 || rest.size() - dash != 7) return 0;
    if (rest.find_first_not_of("0123456789") != dash) return 0;
    return std::strtol(rest.c_str(), nullptr, 10);
}

// exit() called from inside the plug-in: this tool itself only ever returns
// from main. A success status would report a run that never finished.
void onExit() {
    if (!insidePluginCall()) return;
    removeRegisteredFiles();
    if (stderrIsTerminal) writeToStderr("\r\033[K");
    writeToStderr("sarnovellite: plug-in ");
    writeToStderr(guardedPluginPath());
    writeToStderr(" ended the process (it called exit); unfinished output removed\n");
    _exit(static_cast<int>(ExitStatus::badPlugin));
}

}  // namespace

void installInterruptCleanup() {
    std::atexit(onExit);
    std::at_quick_exit(onExit);
    // A closed pipe on stdout (| head) must not kill a run mid-file; the
    // summary lines are simply lost.
    std::signal(SIGPIPE, SIG_IGN);
    stderrIsTerminal = isatty(STDERR_FILENO) != 0;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        action.sa_handler = onTerminatingSignal;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
        struct sigaction action {};
        action.sa_handler = onCrash;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        sigaction(signal, &action, nullptr);
    }
}

PendingOutput::PendingOutput(const std::string& finalPath) : finalPath_(finalPath) {
    // A device, FIFO or socket (or a link to one) is written into: renaming
    // a file over it would replace it.
    struct stat present {};
    if (stat(finalPath.c_str(), &present) == 0 &&
        (S_ISCHR(present.st_mode) || S_ISFIFO(present.st_mode) || S_ISSOCK(present.st_mode))) {
        temporaryPath_ = finalPath;
        direct_ = true;
        return;
    }
    const fs::path target(finalPath);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // The temporary name adds at most 36 bytes to the final one; a final name near the
    // 255-byte limit must still get a temporary name, so only a prefix of it
    // is used, cut at a character boundary.
    constexpr std::size_t kNamePrefixBytes = 200;
    std::string name = target.filename().string();
    if (name.size() > kNamePrefixBytes) {
        std::size_t cut = kNamePrefixBytes;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    const std::string marker = kPartialMarker + std::to_string(getpid()) + "-XXXXXX";
    std::string pattern = (folder / (name + marker)).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = mkstemp(buffer.data());
    if (fd < 0) {
        throw ToolError(ExitStatus::badOutput,
                        "cannot write into folder " + folder.string() + ": " + systemReason());
    }
    // mkstemp makes the file private (0600). A replaced output keeps its
    // permissions, as it would when overwritten in place; a new one gets the
    // mode any new file gets.
    struct stat existing {};
    const bool replaces = stat(finalPath.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    fchmod(fd, replaces ? (existing.st_mode & 07777) : (0666 & ~processUmask));
    fd_ = fd;
    temporaryPath_ = buffer.data();
    slot_ = claimSlot(temporaryPath_);
}

PendingOutput::~PendingOutput() {
    if (direct_) return;
    if (fd_ >= 0) close(fd_);
    if (!committed_) unlink(temporaryPath_.c_str());
    releaseSlot(slot_);
}

void PendingOutput::startWriteback() {
    if (direct_) return;
#ifdef SYNC_FILE_RANGE_WRITE
    // Only starts the disk writes of what is written so far; commit() still
    // waits for all of it. A failure here shows again in commit()'s fsync.
    sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

void PendingOutput::commit() {
    if (direct_) return;
    // A file that cannot reach the disk is not finished: the error a delayed
    // write hit (no space on a network share, an I/O error) shows here.
    if (fsync(fd_) != 0) {
        throw ToolError(ExitStatus::badOutput,
                        "output " + finalPath_ + ": cannot be flushed to disk: " + systemReason());
    }
    if (rename(temporaryPath_.c_str(), finalPath_.c_str()) != 0) {
        throw ToolError(ExitStatus::badOutput,
                        "cannot move the finished output to " + finalPath_ + ": " + systemReason());
    }
    // Released only after the rename: an interrupt in between then finds the
    // temporary name already gone, which is harmless.
    committed_ = true;
}

std::vector<std::string> abandonedOutputs(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const long owner = ownerOfPartial(name);
        if (owner > 0 && kill(static_cast<pid_t>(owner), 0) != 0 && errno == ESRCH) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}
