// Runs with standard error on a terminal (a pseudo-terminal the test reads),
// where the progress bar is drawn.
#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "tests/cli/cli_test_support.h"
#include "tests/cli/fake_plugin_paths.h"

namespace {

class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        fcntl(master_, F_SETFD, FD_CLOEXEC);
        slavePath_ = ptsname(master_);
        // The reader polls instead of blocking in read(), so the fd is closed
        // only after the thread has stopped (closing an fd another thread is
        // reading is a race).
        reader_ = std::thread([this] {
            char buffer[4096];
            for (;;) {
                pollfd ready{master_, POLLIN, 0};
                const int count = poll(&ready, 1, 20);
                if (count > 0) {
                    const ssize_t n = read(master_, buffer, sizeof buffer);
                    if (n <= 0) break;  // EIO once the last writer has closed the terminal
                    text_.append(buffer, static_cast<std::size_t>(n));
                } else if (count == 0 ? stop_.load() : errno != EINTR) {
                    break;
                }
            }
        });
    }
    ~PseudoTerminal() { stopReader(); }
    const std::string& slavePath() const { return slavePath_; }
    // Everything written so far; call after the writer has exited.
    std::string drained() {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        stopReader();
        return text_;
    }

private:
    void stopReader() {
        stop_.store(true);
        if (reader_.joinable()) reader_.join();
        if (master_ >= 0) close(master_);
        master_ = -1;
    }

    std::atomic<bool> stop_{false};
    int master_ = -1;
    std::string slavePath_;
    std::string text_;
    std::thread reader_;
};

TEST(Terminal, AnInputFromAPipeIsReadOnceEvenWhileTheBarIsShown) {
    PseudoTerminal terminal;
    ASSERT_FALSE(terminal.slavePath().empty()) << "no pseudo-terminal";
    ScratchFolder folder;
    const std::int64_t frames = 30000;
    writeFloatFile(folder.path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2,
                   smoothSignal(frames, 2, 44100, 3));
    const std::string bytes = readText(folder.path("in.wav"));

    // As `sarnovellite <(decoder ...) out.wav` hands it over: /dev/fd/N of a pipe.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    fcntl(ends[1], F_SETFD, FD_CLOEXEC);
    signal(SIGPIPE, SIG_IGN);
    const std::string pipePath = "/dev/fd/" + std::to_string(ends[0]);
    const int pid =
        startCli({"--plugin", kSwapDelayPlugin, pipePath, folder.path("out.wav")}, {}, terminal.slavePath());
    close(ends[0]);
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = write(ends[1], bytes.data() + written, bytes.size() - written);
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    close(ends[1]);
    const int status = waitCli(pid);
    const std::string shown = terminal.drained();
    ASSERT_EQ(status, 0) << shown;
    EXPECT_EQ(readSound(folder.path("out.wav")).info.frames, frames);
}

TEST(Terminal, TheBarIsDrawnAndClearedOnATerminal) {
    PseudoTerminal terminal;
    ASSERT_FALSE(terminal.slavePath().empty()) << "no pseudo-terminal";
    ScratchFolder folder;
    writeFloatFile(folder.path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2,
                   smoothSignal(44100, 2, 44100, 4));
    // Slowed to about half a second, so the bar is drawn a few times.
    const int pid = startCli(
        {"--block", "512", "--plugin", kSwapDelayPlugin, folder.path("in.wav"), folder.path("out.wav")},
        {{"FAKE_PLUGIN_SLEEP_US", "5000"}}, terminal.slavePath());
    ASSERT_EQ(waitCli(pid), 0);
    const std::string shown = terminal.drained();
    EXPECT_NE(shown.find("x real time"), std::string::npos) << shown;
    EXPECT_NE(shown.find("left"), std::string::npos) << shown;
    // The last thing on the terminal erases the bar's line.
    EXPECT_EQ(shown.substr(shown.size() >= 4 ? shown.size() - 4 : 0), "\r\033[K") << shown;
}

}  // namespace
