#include "restore_options.h"

#include <cstdlib>
#include <cstring>

namespace {
bool number(const char* text, float& value) {
    char* end = nullptr;
    value = std::strtof(text, &end);
    return end != text && *end == '\0';
}
}  // namespace

bool parseRestoreOption(int argc, char** argv, int& at, RestoreSettings& s, std::string& error) {
    const std::string word = argv[at];
    if (word == "--no-crackle") {
        s.crackle = false;
    } else if (word == "--no-thump") {
        s.thump = false;
    } else if (word == "--removed") {
        s.output = RestoreOutput::removed;
    } else if (word == "--threshold" || word == "--longest") {
        float v = 0.0f;
        if (at + 1 >= argc || !number(argv[at + 1], v)) {
            error = word + " needs a number";
            return false;
        }
        (word == "--threshold" ? s.threshold : s.longestClickMs) = v;
        ++at;
    } else {
        error = "unknown option '" + word + "'";
        return false;
    }
    ++at;
    return true;
}
