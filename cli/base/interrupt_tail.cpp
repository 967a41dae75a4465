#include "base/interrupt_tail.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace sarnovellite::cli {

namespace {

char tailText[kInterruptTailBytes];
std::size_t tailSize = 0;
std::atomic<int> tailFd{-1};
std::atomic<std::int64_t> rowsEndOffset{0};
std::atomic<bool> interrupting{false};
std::atomic<long> writerThread{0};  // the thread inside a row write, or 0

long currentThread() { return static_cast<long>(syscall(SYS_gettid)); }

}  // namespace

void armInterruptTail(int fd, std::int64_t rowsEnd, const std::string& interruptedTail) {
    tailSize = std::min(interruptedTail.size(), kInterruptTailBytes);
    std::memcpy(tailText, interruptedTail.data(), tailSize);
    rowsEndOffset.store(rowsEnd);
    tailFd.store(fd);
}

bool beginTailWrite() {
    writerThread.store(currentThread());
    if (!interrupting.load()) return true;
    writerThread.store(0);
    return false;
}

void endTailWrite(std::int64_t rowsEnd) {
    rowsEndOffset.store(rowsEnd);
    writerThread.store(0);
}

void disarmInterruptTail() { tailFd.store(-1); }

void finishInterruptedTail() {
    interrupting.store(true);
    const int fd = tailFd.load();
    if (fd < 0) return;
    // A row being written on another thread ends first (it takes
    // microseconds); one interrupted on this thread is cut off below.
    const long self = currentThread();
    for (long spins = 0; spins < 100000000; ++spins) {
        const long writer = writerThread.load();
        if (writer == 0 || writer == self) break;
    }
    const std::int64_t at = rowsEndOffset.load();
    const ssize_t written = pwrite(fd, tailText, tailSize, at);
    if (written == static_cast<ssize_t>(tailSize)) {
        const int ignored = ftruncate(fd, at + static_cast<std::int64_t>(tailSize));
        (void)ignored;
    }
    fsync(fd);
}

}  // namespace sarnovellite::cli
