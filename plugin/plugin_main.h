// The body of the library's entry point, shared by every platform's export
// (vst_entry.cpp on Linux, windows_entry.cpp on Windows).
//
// Asks the host for its VST version (an answer of 0 means no instance),
// creates one effect and returns its record (plugin_main.cpp: ZOVOridureri in
// Sarnovellite; restore_plugin_main.cpp: SarnovelliteRestore in
// SarnovelliteRestore; each library links exactly one of them); null when the host refuses,
// no callback is given, or construction fails. Never lets an exception reach
// the host. Each call makes an independent instance; the host destroys it with
// effClose through the record's dispatcher.
#pragma once

#include "vst2/record/aeffect.h"

AEffect* createPluginInstance(audioMasterCallback audioMaster);
