#include "jobs/file_list.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/tool_error.h"

namespace sarnovellite::cli {

std::vector<std::string> readFileList(const std::string& listPath, bool nullSeparated) {
    const bool standardInput = listPath == "-";
    std::FILE* file = standardInput ? stdin : std::fopen(listPath.c_str(), "rb");
    if (file == nullptr) {
        throw ToolError(ExitStatus::badInput, "file list " + listPath + ": " + std::strerror(errno));
    }
    const char separator = nullSeparated ? '\0' : '\n';
    std::vector<std::string> names;
    std::string name;
    auto take = [&] {
        if (!nullSeparated && !name.empty() && name.back() == '\r') name.pop_back();
        if (!name.empty()) names.push_back(std::move(name));
        name.clear();
    };
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
        if (static_cast<char>(c) == separator) {
            take();
        } else {
            name += static_cast<char>(c);
        }
    }
    take();
    const bool failed = std::ferror(file) != 0;
    if (!standardInput) std::fclose(file);
    if (failed) throw ToolError(ExitStatus::badInput, "file list " + listPath + ": cannot be read");
    return names;
}

}  // namespace sarnovellite::cli
