// Failures of the command-line host and the exit status each one maps to.
//
// Every failure the tool can report is a ToolError carrying a one-line message
// (no trailing newline) and the exit status the process ends with. The codes
// are part of the tool's documented interface: scripts rely on them.
#pragma once

#include <stdexcept>
#include <string>

enum class ExitStatus : int {
    success = 0,
    processingFailed = 1,  // reading, processing or writing failed part-way
    usage = 2,             // malformed or out-of-range options and arguments
    badInput = 3,          // input missing, unreadable, unsupported or duplicated
    badOutput = 4,         // output equal to the input, or its folder not writable
    badPlugin = 5,         // plug-in not loadable, no entry point, or not a 2-in/2-out effect
    interrupted = 130,     // SIGINT/SIGTERM/SIGHUP; no partial output is left behind
};

class ToolError : public std::runtime_error {
public:
    ToolError(ExitStatus status, const std::string& message) : std::runtime_error(message), status_(status) {}
    ExitStatus status() const { return status_; }

private:
    ExitStatus status_;
};
