// Progress of a run on standard error, and the per-file summary lines on
// standard output.
//
// Workers report finished audio through addAudio() (lock-free, any thread).
// When enabled (stderr is a terminal and not --quiet) a drawing thread redraws
// one line about eight times a second: bar, percentage, speed as a multiple of
// real time, time left. printLine() clears the bar, prints a line on stdout and
// lets the bar be drawn again beneath it; it is a no-op for quiet runs.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class ProgressDisplay {
public:
    // totalAudioSeconds: the sum of the durations of all inputs (0 if unknown).
    ProgressDisplay(bool showBar, bool printSummaries, double totalAudioSeconds);
    ~ProgressDisplay();
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    void addAudio(double seconds);
    void printLine(const std::string& line);
    // Prints an error line on stderr, clearing the bar first (even when quiet).
    void printError(const std::string& line);

private:
    void drawLoop();
    void drawLocked();
    void clearLocked();

    bool showBar_;
    bool printSummaries_;
    double totalMicroseconds_;
    std::atomic<long long> doneMicroseconds_{0};
    std::chrono::steady_clock::time_point started_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    bool drawn_ = false;
    std::thread drawer_;
};
