// The one report file a run keeps valid through an interrupt.
//
// A report grows by rows appended in front of a closing tail ("]}" for JSON,
// nothing for CSV). The interrupt handler of pending_output.h calls
// finishInterruptedTail(): it writes the interrupted tail (a marker line or
// field plus the closing text) at the offset where the last whole row ended
// and cuts the file there, so the report covers every row written and says
// the run was interrupted. Uses only pwrite, ftruncate and atomics: it is
// async-signal-safe.
//
// Row writes go through beginTailWrite()/endTailWrite() (one thread at a
// time; the caller serialises). A handler on another thread waits for a
// write in progress to end; one on the writing thread itself overwrites the
// half-written row.
#pragma once

#include <cstdint>
#include <string>

namespace sarnovellite::cli {

// Registers `fd` (kept open by the caller) with the tail to write when
// interrupted; at most kInterruptTailBytes bytes.
inline constexpr std::size_t kInterruptTailBytes = 256;
void armInterruptTail(int fd, std::int64_t rowsEnd, const std::string& interruptedTail);

// Around every write at or after the current rows' end: false when the run is
// being interrupted and nothing may be written any more.
bool beginTailWrite();
// `rowsEnd`: where the rows now end (the tail starts).
void endTailWrite(std::int64_t rowsEnd);

// The report is finished or closed: an interrupt leaves it alone.
void disarmInterruptTail();

// A finished output and its report entry go together: a file's thread
// enters the window just before its output is renamed into place and leaves
// it once the entry is written, and an interrupt waits for the windows open
// (the handler runs on a thread that is in none; see job_runner.h), so every
// output in place has its entry. False when the run is being interrupted:
// the output is then not put in place. Only on threads that called
// pairCommitsWithReport(); elsewhere always true and nothing is held.
void pairCommitsWithReport();
bool enterCommitWindow();
// Around the making and registering of a temporary output (pending_output.h):
// an interrupt waits for those under way, so none is left unregistered.
// False when the run is being interrupted: no output may be started.
bool beginOutputCreation();
void endOutputCreation();
// Leaves the window this thread entered, if any.
void leaveCommitWindow();

// For the signal handler only, in this order: wait for the commit windows,
// (remove the temporary files,) close the report.
void awaitCommitsOnInterrupt();
void finishInterruptedTail();

}  // namespace sarnovellite::cli
