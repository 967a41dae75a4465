// An output file written under a temporary name in its target folder and
// renamed into place only when complete.
//
// While a PendingOutput is open its temporary path is registered with the
// process-wide interrupt handler (installInterruptCleanup), which removes every
// registered temporary file on SIGINT, SIGTERM, SIGHUP and on a crash, so an
// interrupted run leaves neither a half-written file nor a changed output.
// Destroying a PendingOutput without commit() removes the temporary file.
#pragma once

#include <string>

class PendingOutput {
public:
    // Creates the temporary file next to finalPath; throws
    // ToolError(ExitStatus::badOutput) when the folder is not writable.
    explicit PendingOutput(const std::string& finalPath);
    ~PendingOutput();
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    const std::string& temporaryPath() const { return temporaryPath_; }

    // Flushes the closed temporary file to disk and renames it to finalPath.
    void commit();

private:
    std::string finalPath_;
    std::string temporaryPath_;
    int slot_ = -1;
    bool committed_ = false;
};

// Installs the signal handlers (and ignores SIGPIPE); call once from main
// before any output exists.
void installInterruptCleanup();
