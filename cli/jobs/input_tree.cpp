#include "jobs/input_tree.h"

#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <utility>
#include <vector>

#include "base/tool_error.h"

namespace fs = std::filesystem;

namespace sarnovellite::cli {

namespace {

using FolderId = std::pair<dev_t, ino_t>;

FolderId idOf(const fs::path& folder) {
    struct stat st {};
    stat(folder.c_str(), &st);
    return {st.st_dev, st.st_ino};
}

void walkFolder(const fs::path& folder, const fs::path& relative, bool followLinks,
                std::vector<FolderId>& walking, const TreeFile& found) {
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(*it);
    if (ec) throw ToolError(ExitStatus::badInput, "input folder " + folder.string() + ": " + ec.message());
    std::sort(entries.begin(), entries.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); });
    for (const fs::directory_entry& entry : entries) {
        const fs::path name = entry.path().filename();
        std::error_code typeEc;
        const bool link = entry.is_symlink(typeEc);
        if (entry.is_directory(typeEc)) {
            if (link && !followLinks) continue;
            const FolderId id = idOf(entry.path());
            if (std::find(walking.begin(), walking.end(), id) != walking.end()) continue;
            walking.push_back(id);
            walkFolder(entry.path(), relative / name, followLinks, walking, found);
            walking.pop_back();
        } else if (entry.is_regular_file(typeEc)) {
            found(entry.path().string(), (relative / name).string());
        }
    }
}

std::set<std::string> audioExtensions() {
    std::set<std::string> names = {"wav", "wave", "aif", "aiff", "aifc", "ogg", "oga", "opus", "mp3", "flac"};
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info{};
        info.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info) == 0 && info.extension)
            names.insert(info.extension);
    }
    names.erase("raw");  // header-less data is taken only with --raw
    return names;
}

}  // namespace

void walkInputTree(const std::string& root, bool followLinks, const TreeFile& found) {
    std::vector<FolderId> walking{idOf(root)};
    walkFolder(root, fs::path(), followLinks, walking, found);
}

bool looksLikeAudio(const std::string& path, bool rawInput) {
    if (rawInput) return true;
    static const std::set<std::string> known = audioExtensions();
    std::string ext = fs::path(path).extension().string();
    if (ext.empty()) return false;
    ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return known.count(ext) != 0;
}

}  // namespace sarnovellite::cli
