// The texts `sarnovellite` prints for --help and --version.
#pragma once

#include <string>

// The --help text, ending with a newline.
std::string helpText();

// "sarnovellite VERSION" (see base/tool_version.h), ending with a newline.
std::string versionText();
