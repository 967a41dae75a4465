#include "reports/tailed_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/interrupt_tail.h"
#include "base/tool_error.h"

namespace sarnovellite::cli {

TailedFile::TailedFile(const std::string& path, const std::string& head, std::string runningTail,
                       const std::string& interruptedTail)
    : path_(path), runningTail_(std::move(runningTail)) {
    fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        throw ToolError(ExitStatus::badOutput, "cannot write report " + path + ": " + std::strerror(errno));
    }
    struct stat st {};
    stream_ = fstat(fd_, &st) == 0 && !S_ISREG(st.st_mode);
    if (stream_) {
        writeInOrder(head);
        return;
    }
    writeAt(head + runningTail_, 0);
    rowsEnd_ = static_cast<std::int64_t>(head.size());
    armInterruptTail(fd_, rowsEnd_, interruptedTail);
}

void TailedFile::writeInOrder(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            throw ToolError(ExitStatus::badOutput,
                            "cannot write report " + path_ + ": " + std::strerror(n < 0 ? errno : ENOSPC));
        }
        done += static_cast<std::size_t>(n);
    }
}

TailedFile::~TailedFile() {
    disarmInterruptTail();
    if (fd_ >= 0) close(fd_);
}

void TailedFile::writeAt(const std::string& text, std::int64_t at) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = pwrite(fd_, text.data() + done, text.size() - done, at + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            throw ToolError(ExitStatus::badOutput,
                            "cannot write report " + path_ + ": " + std::strerror(n < 0 ? errno : ENOSPC));
        }
        done += static_cast<std::size_t>(n);
    }
    // A shorter tail than before leaves no bytes of the old one behind.
    if (ftruncate(fd_, at + static_cast<off_t>(text.size())) != 0) {
        throw ToolError(ExitStatus::badOutput, "cannot write report " + path_ + ": " + std::strerror(errno));
    }
}

void TailedFile::append(const std::string& row) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (stream_) return writeInOrder(row);
    if (!beginTailWrite()) return;  // being interrupted: the handler owns the file
    try {
        writeAt(row + runningTail_, rowsEnd_);
    } catch (...) {
        endTailWrite(rowsEnd_);
        throw;
    }
    rowsEnd_ += static_cast<std::int64_t>(row.size());
    endTailWrite(rowsEnd_);
}

void TailedFile::finish(const std::string& finalTail) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (stream_) return writeInOrder(finalTail);
    if (!beginTailWrite()) return;
    try {
        writeAt(finalTail, rowsEnd_);
    } catch (...) {
        endTailWrite(rowsEnd_);
        throw;
    }
    endTailWrite(rowsEnd_);
    disarmInterruptTail();
    if (fsync(fd_) != 0) {
        throw ToolError(ExitStatus::badOutput,
                        "report " + path_ + ": cannot be flushed to disk: " + std::strerror(errno));
    }
}

}  // namespace sarnovellite::cli
