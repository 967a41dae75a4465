// Paths of the test effects built from fake_plugin.cpp (set by the build).
#pragma once

inline const char* const kSwapDelayPlugin = FAKE_PLUGIN_SWAP_DELAY;  // latency 37, channels swapped
inline const char* const kGainPlugin = FAKE_PLUGIN_GAIN;             // x4, accumulating entry only
inline const char* const kMarkPlugin = FAKE_PLUGIN_MARK;             // latency 100, |x| > 0.5 -> 0
inline const char* const kNullPlugin = FAKE_PLUGIN_NULL;             // entry point returns null
inline const char* const kMonoPlugin = FAKE_PLUGIN_MONO;             // 1 in, 1 out
inline const char* const kNoEntryPlugin = FAKE_PLUGIN_NO_ENTRY;      // no `main`
inline constexpr int kSwapDelayLatency = 37;
