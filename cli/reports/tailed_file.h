// A report file that grows a row at a time and is a whole document after
// every row: head, the rows so far, then a closing tail.
//
// Each append writes the row and the tail in one pwrite where the previous
// tail began, so a reader (or a crash) sees the previous document or the new
// one. Registered with base/interrupt_tail.h: an interrupt writes
// `interruptedTail` after the last whole row instead. Written in place (no
// temporary name), so the rows finished so far are there for a person to
// read while the run goes on and after it is interrupted. A path that is not a
// regular file (a FIFO, /dev/stdout, a device) cannot be rewritten: there the
// head, the rows and the final tail are written one after another, without a
// running or interrupted tail. Appends from several threads are serialised.
// Throws ToolError(ExitStatus::badOutput).
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

namespace sarnovellite::cli {

class TailedFile {
public:
    TailedFile(const std::string& path, const std::string& head, std::string runningTail,
               const std::string& interruptedTail);
    ~TailedFile();
    TailedFile(const TailedFile&) = delete;
    TailedFile& operator=(const TailedFile&) = delete;

    void append(const std::string& row);
    // Replaces the running tail with the final one and flushes to disk.
    void finish(const std::string& finalTail);
    const std::string& path() const { return path_; }

private:
    void writeAt(const std::string& text, std::int64_t at);
    void writeInOrder(const std::string& text);

    std::string path_;
    std::string runningTail_;
    int fd_ = -1;
    std::int64_t rowsEnd_ = 0;
    bool stream_ = false;  // not a regular file: written in order, never rewritten
    std::mutex mutex_;
};

}  // namespace sarnovellite::cli
