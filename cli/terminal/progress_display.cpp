#include "terminal/progress_display.h"

#include <algorithm>
#include <cstdio>

ProgressDisplay::ProgressDisplay(bool showBar, bool printSummaries, double totalAudioSeconds)
    : showBar_(showBar),
      printSummaries_(printSummaries),
      totalMicroseconds_(totalAudioSeconds * 1e6),
      started_(std::chrono::steady_clock::now()) {
    if (showBar_) drawer_ = std::thread([this] { drawLoop(); });
}

ProgressDisplay::~ProgressDisplay() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (drawer_.joinable()) drawer_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    clearLocked();
}

void ProgressDisplay::addAudio(double seconds) {
    doneMicroseconds_.fetch_add(static_cast<long long>(seconds * 1e6), std::memory_order_relaxed);
}

void ProgressDisplay::printLine(const std::string& line) {
    if (!printSummaries_) return;
    std::lock_guard<std::mutex> lock(mutex_);
    clearLocked();
    std::fprintf(stdout, "%s\n", line.c_str());
    std::fflush(stdout);
}

void ProgressDisplay::printError(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    clearLocked();
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

void ProgressDisplay::drawLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        drawLocked();
        wake_.wait_for(lock, std::chrono::milliseconds(125), [this] { return stopping_; });
    }
}

void ProgressDisplay::clearLocked() {
    if (!drawn_) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    drawn_ = false;
}

void ProgressDisplay::drawLocked() {
    const double done = static_cast<double>(doneMicroseconds_.load(std::memory_order_relaxed));
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    const double fraction = totalMicroseconds_ > 0 ? std::clamp(done / totalMicroseconds_, 0.0, 1.0) : 0.0;
    const double speed = elapsed > 0 ? done / 1e6 / elapsed : 0.0;

    constexpr int kWidth = 30;
    const int filled = static_cast<int>(fraction * kWidth);
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '-';
    bar[kWidth] = '\0';

    char left[32] = "--:--";
    if (speed > 0 && totalMicroseconds_ > 0) {
        const long secondsLeft = static_cast<long>((totalMicroseconds_ - done) / 1e6 / speed + 0.5);
        std::snprintf(left, sizeof left, "%ld:%02ld", secondsLeft / 60, secondsLeft % 60);
    }
    std::fprintf(stderr, "\r[%s] %3d%%  %6.1fx real time  %s left\033[K", bar,
                 static_cast<int>(fraction * 100.0), speed, left);
    std::fflush(stderr);
    drawn_ = true;
}
