// What the process knows, at a fault, about the plug-in it hosts.
//
// A hosted effect runs in this process, so a plug-in that calls exit() or
// crashes takes the tool down with it. Rather than moving every block to a
// child process (a copy and two context switches per block, on the path that
// must stay fast), the tool marks each call into the plug-in on the calling
// thread; the exit and crash handlers (pending_output.h) read the mark, remove
// the unfinished outputs and name the plug-in in one line. _exit() and
// SIGKILL cannot be caught: those leave the temporary file, which the next
// run names.
#pragma once

#include <string>

// Records the plug-in's path for the handlers' message; call when it is loaded.
void guardPlugin(const std::string& path);

// The recorded path ("" before any); async-signal-safe.
const char* guardedPluginPath();

// True while the calling thread is inside a call into the plug-in;
// async-signal-safe.
bool insidePluginCall();

// Marks the calling thread as inside the plug-in for its lifetime.
class PluginCall {
public:
    PluginCall();
    ~PluginCall();
    PluginCall(const PluginCall&) = delete;
    PluginCall& operator=(const PluginCall&) = delete;

private:
    bool outer_;
};
