#include "lv2_host.h"

#include <algorithm>

#include "lv2/plugin_description.h"

namespace {

using DescriptorFunction = const LV2_Descriptor* (*)(std::uint32_t);

}  // namespace

Lv2Binary::Lv2Binary(const std::string& path) : library(path) {}

std::vector<std::string> Lv2Binary::uris() const {
    std::vector<std::string> found;
    const auto entry = reinterpret_cast<DescriptorFunction>(library.symbol("lv2_descriptor"));
    if (entry == nullptr) return found;
    for (std::uint32_t i = 0; i < 100; ++i) {
        const LV2_Descriptor* d = entry(i);
        if (d == nullptr) break;
        found.emplace_back(d->URI);
    }
    return found;
}

const LV2_Descriptor* Lv2Binary::descriptor(std::string_view uri) const {
    const auto entry = reinterpret_cast<DescriptorFunction>(library.symbol("lv2_descriptor"));
    if (entry == nullptr) return nullptr;
    for (std::uint32_t i = 0;; ++i) {
        const LV2_Descriptor* d = entry(i);
        if (d == nullptr) return nullptr;
        if (uri == d->URI) return d;
    }
}

Lv2Instance::Lv2Instance(const LV2_Descriptor* d, double sampleRate, std::vector<float> defaults)
    : descriptor(d), controls(std::move(defaults)) {
    static const char* const kBundlePath = "/nonexistent/sarnovellite.lv2/";
    const LV2_Feature* const features[] = {nullptr};
    handle = descriptor->instantiate(descriptor, sampleRate, kBundlePath, features);
    if (handle == nullptr) return;
    using namespace sarnovellite::lv2;
    descriptor->connect_port(handle, kLatencyPort, &latencyValue);
    for (std::uint32_t c = 0; c < controls.size(); ++c)
        descriptor->connect_port(handle, kFirstControlPort + c, &controls[c]);
}

Lv2Instance::~Lv2Instance() {
    if (handle == nullptr) return;
    if (active) descriptor->deactivate(handle);
    descriptor->cleanup(handle);
}

void Lv2Instance::setControl(std::uint32_t port, float value) {
    controls.at(port - sarnovellite::lv2::kFirstControlPort) = value;
}

void Lv2Instance::activate() {
    descriptor->activate(handle);
    active = true;
}

void Lv2Instance::deactivate() {
    descriptor->deactivate(handle);
    active = false;
}

Stereo Lv2Instance::run(const Stereo& in, std::span<const std::uint32_t> blocks, bool inPlace) {
    using namespace sarnovellite::lv2;
    Stereo out{std::vector<float>(in.frames()), std::vector<float>(in.frames())};
    if (inPlace) out = in;
    std::size_t offset = 0;
    for (std::size_t k = 0; offset < in.frames(); ++k) {
        const std::size_t n = std::min<std::size_t>(blocks[k % blocks.size()], in.frames() - offset);
        // Hosts own the input buffers; the plug-in only reads them.
        float* inLeft = inPlace ? out.left.data() + offset : const_cast<float*>(in.left.data()) + offset;
        float* inRight = inPlace ? out.right.data() + offset : const_cast<float*>(in.right.data()) + offset;
        descriptor->connect_port(handle, kInputLeftPort, inLeft);
        descriptor->connect_port(handle, kInputRightPort, inRight);
        descriptor->connect_port(handle, kOutputLeftPort, out.left.data() + offset);
        descriptor->connect_port(handle, kOutputRightPort, out.right.data() + offset);
        descriptor->run(handle, static_cast<std::uint32_t>(n));
        offset += n;
    }
    return out;
}
