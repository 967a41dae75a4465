// The texts `sarnovellite` prints for --help and --version.
#pragma once

#include <string>

// The --help text, ending with a newline.
std::string helpText();

// The version number alone, "0.4.0".
std::string toolVersion();

// "sarnovellite VERSION", ending with a newline.
std::string versionText();
