#include "base/interrupt_tail.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <cstring>

namespace sarnovellite::cli {

namespace {

char tailText[kInterruptTailBytes];
std::size_t tailSize = 0;
std::atomic<int> tailFd{-1};
std::atomic<std::int64_t> rowsEndOffset{0};
std::atomic<bool> interrupting{false};   // no more report writes
std::atomic<bool> windowsClosed{false};  // no more outputs put in place
std::atomic<long> writerThread{0};       // the thread inside a row write, or 0

std::atomic<int> openWindows{0};
thread_local bool inWindow = false;
thread_local bool windowsWanted = false;
std::atomic<int> creationsUnderWay{0};
thread_local bool creatingHere = false;

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

void pairCommitsWithReport() { windowsWanted = true; }

bool enterCommitWindow() {
    if (!windowsWanted) return true;
    if (inWindow) return !windowsClosed.load();
    openWindows.fetch_add(1);
    if (windowsClosed.load()) {
        openWindows.fetch_sub(1);
        return false;
    }
    inWindow = true;
    return true;
}

bool beginOutputCreation() {
    creationsUnderWay.fetch_add(1);
    creatingHere = true;
    if (!windowsClosed.load()) return true;
    endOutputCreation();
    return false;
}

void endOutputCreation() {
    creatingHere = false;
    creationsUnderWay.fetch_sub(1);
}

void leaveCommitWindow() {
    if (!inWindow) return;
    inWindow = false;
    openWindows.fetch_sub(1);
}

void awaitCommitsOnInterrupt() {
    windowsClosed.store(true);
    // A rename and a report row take microseconds; a thread stuck in one
    // (a hung network share) is not waited for beyond a few seconds.
    // What this very thread was doing when the signal came cannot end first.
    const int own = (inWindow ? 1 : 0);
    const int ownCreation = (creatingHere ? 1 : 0);
    for (int waits = 0; waits < 5000 && (openWindows.load() > own || creationsUnderWay.load() > ownCreation);
         ++waits) {
        const timespec millisecond{0, 1000000};
        nanosleep(&millisecond, nullptr);
    }
}

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
