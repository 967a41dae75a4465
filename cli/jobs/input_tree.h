// The files of a folder given with -r, in a fixed order.
//
// The walk is depth-first with every folder's entries sorted by name (byte
// order), so two runs over the same tree plan the same jobs in the same
// order. Linked folders are entered only with followLinks, and then never a
// folder that is already being walked (a link to a parent would loop);
// linked files are taken like files. Entries that are neither files nor
// folders (sockets, devices) are left out. A folder that cannot be read
// throws ToolError(ExitStatus::badInput) naming it.
#pragma once

#include <functional>
#include <string>

namespace sarnovellite::cli {

// Called with the file's path (root joined with the relative path) and its
// path relative to root.
using TreeFile = std::function<void(const std::string& path, const std::string& relative)>;

void walkInputTree(const std::string& root, bool followLinks, const TreeFile& found);

// Whether a file found in a tree is taken as audio: by its extension, one
// libsndfile reads (.wav, .flac, .aif, .ogg, .opus, .mp3, ...), so a folder of
// cover pictures and notes is not opened file by file. rawInput: every file
// (header-less samples carry no extension of their own).
bool looksLikeAudio(const std::string& path, bool rawInput);

}  // namespace sarnovellite::cli
