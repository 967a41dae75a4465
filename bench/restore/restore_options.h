#pragma once

#include <string>

#include "restore/restore_settings.h"

// Settings for the bench tools from command-line words:
//   --threshold SIGMAS  --longest MS  --no-crackle  --no-thump  --removed
// Returns false with a one-line message in error on anything else.
bool parseRestoreOption(int argc, char** argv, int& at, RestoreSettings& settings, std::string& error);
