// Records that the host and a plug-in pass to each other only by pointer.
//
// The base classes forward these pointers unchanged between host and derived
// effect and never look inside them, so they stay incomplete here: a derived
// effect that needs a record's fields declares them itself.
#pragma once

struct VstEvents;
struct VstTimeInfo;
struct VstVariableIo;
struct VstOfflineTask;
struct VstAudioFile;
struct VstWindow;
struct VstFileSelect;
struct VstPinProperties;
struct VstParameterProperties;
struct VstPatchChunkInfo;
struct MidiProgramName;
struct MidiProgramCategory;
struct MidiKeyName;
struct ERect;
