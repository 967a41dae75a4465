// Writes the bundle's Turtle files from the plug-in descriptions, at build
// time:
//
//   generate_turtle FOLDER BINARY_FILE
//
// FOLDER receives manifest.ttl and one file per plug-in; BINARY_FILE is the
// plug-in binary's file name inside the bundle. Each file is written to a
// temporary name and renamed into place, so a failed run leaves no half file.
#include <cstdio>
#include <string>

#include "lv2/bundle_plugins.h"
#include "lv2/turtle_text.h"

namespace {

bool writeFile(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".part";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (f == nullptr) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (std::fclose(f) != 0 || !written) {
        std::remove(temporary.c_str());
        return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace sarnovellite::lv2;
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FOLDER BINARY_FILE\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    if (!writeFile(folder + "/manifest.ttl", manifestText(kBundlePlugins, argv[2]))) {
        std::fprintf(stderr, "generate_turtle: cannot write %s/manifest.ttl\n", folder.c_str());
        return 1;
    }
    for (const PluginDescription* plugin : kBundlePlugins) {
        const std::string path = folder + "/" + std::string(plugin->turtleFile);
        if (!writeFile(path, pluginText(*plugin))) {
            std::fprintf(stderr, "generate_turtle: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
