// An output file written under a temporary name in its target folder and
// renamed into place only when complete.
//
// While a PendingOutput is open its temporary path is registered with the
// process-wide interrupt handler (installInterruptCleanup), which removes every
// registered temporary file on SIGINT, SIGTERM, SIGHUP and on a crash, so an
// interrupted run leaves neither a half-written file nor a changed output.
// Destroying a PendingOutput without commit() removes the temporary file.
//
// A final path that is a character device, FIFO or socket (or a link to one)
// is written directly (temporaryPath() is the final path, commit() does
// nothing): renaming a file over it would replace the device.
//
// Only SIGKILL (or a power cut) can leave the temporary file behind. Its name,
// "NAME.sarnovellite-partial-PID-XXXXXX", says whose it was, so a later run
// can tell the leftovers of dead processes (abandonedOutputs) from the files
// of runs still going.
#pragma once

#include <string>
#include <vector>

class PendingOutput {
public:
    // Creates the temporary file next to finalPath; throws
    // ToolError(ExitStatus::badOutput) when the folder is not writable.
    explicit PendingOutput(const std::string& finalPath);
    ~PendingOutput();
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    const std::string& temporaryPath() const { return temporaryPath_; }

    // Starts writing what the temporary file holds so far to disk, without
    // waiting, so that commit() has little left to wait for. Cheap enough to
    // call every few hundred kilobytes written.
    void startWriteback();

    // Flushes the closed temporary file to disk and renames it to finalPath;
    // throws ToolError(ExitStatus::badOutput) when either fails.
    void commit();

private:
    std::string finalPath_;
    std::string temporaryPath_;
    int fd_ = -1;  // the temporary file, kept open for the flushes
    int slot_ = -1;
    bool committed_ = false;
    bool direct_ = false;  // finalPath is a device, FIFO or socket, written in place
};

// Names of the unfinished outputs in `folder` whose run is no longer alive
// (this host's process ids), sorted.
std::vector<std::string> abandonedOutputs(const std::string& folder);

// Installs the signal handlers (and ignores SIGPIPE) and an exit handler;
// call once from main before any output exists. A crash or an exit() inside
// the hosted plug-in (plugin_guard.h) is reported in one line naming it; an
// exit() there ends the run with ExitStatus::badPlugin.
void installInterruptCleanup();
