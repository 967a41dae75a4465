// One effect instance hosted through its VST 2 record.
//
// Construction calls the library's entry point with this host's callback,
// checks the record (magic, 2 inputs, 2 outputs, not an instrument), then
// sends effOpen, effSetSampleRate, effSetBlockSize and effMainsChanged(1).
// Destruction switches it off and sends effClose. Throws
// ToolError(ExitStatus::badPlugin) when the plug-in refuses or does not fit,
// also when its record no longer says 2 inputs and 2 outputs after effOpen
// or after any process call. Every call into the plug-in is marked
// (plugin_guard.h), so its crash or exit() is reported as its own.
//
// An instance is used by one thread at a time; separate threads may each
// drive their own. Construction and destruction of all instances are
// serialised process-wide, as a host on one main thread would do them.
#pragma once

#include <memory>
#include <string>

#include "vst2/record/aeffect.h"
#include "hosting/plugin_library.h"

class HostedEffect {
public:
    HostedEffect(std::shared_ptr<PluginLibrary> library, double sampleRate, int maxBlockFrames);
    ~HostedEffect();
    HostedEffect(const HostedEffect&) = delete;
    HostedEffect& operator=(const HostedEffect&) = delete;

    // Frames the output lags the input, read from the record after switch-on.
    int latencyFrames() const;
    // True for the bundled effect (unique ID '9573'), whose parameters 0 and 2
    // are sensitivity and click gap.
    bool isSarnovellite() const;

    void setParameter(int index, float value);
    float getParameter(int index);
    std::string parameterDisplay(int index);
    std::string effectName();

    // Two input and two output arrays of `frames` samples, frames <= maxBlockFrames;
    // inputs and outputs must not overlap. Overwrites the outputs.
    void process(float* const inputs[2], float* const outputs[2], int frames);

private:
    std::shared_ptr<PluginLibrary> library_;
    AEffect* effect_ = nullptr;
    bool useReplacing_ = true;
    std::unique_ptr<struct HostContext> context_;
};
