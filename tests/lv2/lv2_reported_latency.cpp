// Prints the latency an LV2 plug-in of the bundle reports, as a host reads
// it: instantiated at RATE, every port connected, activated.
//
//   lv2_reported_latency BINARY URI RATE
//
// scripts/lv2-check.sh shifts lv2apply's renders (which do not compensate
// latency) by this value.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "lv2/bundle_plugins.h"
#include "lv2_host.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s BINARY URI RATE\n", argv[0]);
        return 2;
    }
    const Lv2Binary binary(argv[1]);
    const LV2_Descriptor* descriptor = binary.descriptor(argv[2]);
    if (descriptor == nullptr) {
        std::fprintf(stderr, "%s: no plug-in %s %s\n", argv[1], argv[2], binary.error().c_str());
        return 1;
    }
    // Each control at its default, as a host starts.
    std::vector<float> controls;
    for (const sarnovellite::lv2::PluginDescription* d : sarnovellite::lv2::kBundlePlugins) {
        if (d->uri != argv[2]) continue;
        for (std::uint32_t port = sarnovellite::lv2::kFirstControlPort; port < portCount(*d); ++port)
            controls.push_back(static_cast<float>(shownDefault(*controlInfo(*d, port))));
    }
    Lv2Instance instance(descriptor, std::strtod(argv[3], nullptr), controls);
    if (!instance.instantiated()) {
        std::fprintf(stderr, "%s: instantiate failed\n", argv[2]);
        return 1;
    }
    instance.activate();
    std::printf("%.0f\n", instance.latency());
    return 0;
}
