#include "host/gltf_interpolation.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include <nlohmann/json.hpp>

namespace {

std::uint32_t U32At(const std::vector<char>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

// The JSON text of a .gltf file, or the first chunk of a .glb file when it
// is the JSON chunk.
std::string GltfJson(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension != ".gltf" && extension != ".glb") {
        return std::string();
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (extension == ".gltf") {
        return std::string(bytes.begin(), bytes.end());
    }
    if (bytes.size() < 20 || U32At(bytes, 0) != 0x46546C67u || U32At(bytes, 16) != 0x4E4F534Au) {
        return std::string();
    }
    const std::uint32_t length = U32At(bytes, 12);
    if (length > bytes.size() - 20) {
        return std::string();
    }
    return std::string(bytes.begin() + 20, bytes.begin() + 20 + static_cast<std::ptrdiff_t>(length));
}

// Adds the STEP channels of the file's animations; throws on JSON that is
// not shaped as glTF.
void AddStepChannels(const std::string& path, GltfStepChannels* steps) {
    const nlohmann::json root = nlohmann::json::parse(GltfJson(path), nullptr, false);
    if (!root.is_object() || !root.contains("animations") || !root["animations"].is_array()) {
        return;
    }
    const nlohmann::json nodes = root.value("nodes", nlohmann::json::array());
    const nlohmann::json& animations = root["animations"];
    for (std::size_t a = 0; a < animations.size(); ++a) {
        const nlohmann::json samplers = animations[a].value("samplers", nlohmann::json::array());
        const nlohmann::json channels = animations[a].value("channels", nlohmann::json::array());
        for (const nlohmann::json& channel : channels) {
            const std::size_t sampler = channel.value("sampler", std::size_t{0});
            const nlohmann::json target = channel.value("target", nlohmann::json::object());
            const std::size_t node = target.value("node", nodes.size());
            if (sampler >= samplers.size() || node >= nodes.size() ||
                samplers[sampler].value("interpolation", std::string("LINEAR")) != "STEP") {
                continue;
            }
            // The library names a node after its name, or "nodes[i]" without one.
            std::string name = nodes[node].value("name", std::string());
            if (name.empty()) {
                name = "nodes[" + std::to_string(node) + "]";
            }
            const std::string channelPath = target.value("path", std::string());
            const char kind = channelPath == "translation" ? 'T'
                              : channelPath == "rotation"  ? 'R'
                              : channelPath == "scale"     ? 'S'
                                                           : '\0';
            if (kind != '\0') {
                steps->emplace(static_cast<int>(a), name, kind);
            }
        }
    }
}

}  // namespace

GltfStepChannels ReadGltfStepChannels(const std::string& path) {
    GltfStepChannels steps;
    try {
        AddStepChannels(path, &steps);
    } catch (const std::exception&) {
        steps.clear();  // not shaped as glTF: the library has said what it could read
    }
    return steps;
}
