#include "host/scene_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;

constexpr const char* kFormat = "corvane-scene";
constexpr int kVersion = 1;

json Floats(const float* values, int count) {
    json array = json::array();
    for (int i = 0; i < count; ++i) {
        array.push_back(static_cast<double>(values[i]));
    }
    return array;
}

// Reads exactly `count` numbers; a float written as a double comes back bit
// for bit.
void ReadFloats(const json& array, float* values, std::size_t count) {
    if (!array.is_array() || array.size() != count) {
        throw std::runtime_error("expected " + std::to_string(count) + " numbers, found " + array.dump());
    }
    for (std::size_t i = 0; i < count; ++i) {
        values[i] = static_cast<float>(array.at(i).get<double>());
    }
}

json VectorKeys(const std::vector<HostVectorKey>& keys) {
    json array = json::array();
    for (const HostVectorKey& key : keys) {
        const float values[4] = {key.time, key.x, key.y, key.z};
        array.push_back(Floats(values, 4));
    }
    return array;
}

std::vector<HostVectorKey> ReadVectorKeys(const json& array) {
    std::vector<HostVectorKey> keys;
    for (const json& item : array) {
        float values[4];
        ReadFloats(item, values, 4);
        keys.push_back({values[0], values[1], values[2], values[3]});
    }
    return keys;
}

json RotationKeys(const std::vector<HostRotationKey>& keys) {
    json array = json::array();
    for (const HostRotationKey& key : keys) {
        const float values[5] = {key.time, key.x, key.y, key.z, key.w};
        array.push_back(Floats(values, 5));
    }
    return array;
}

std::vector<HostRotationKey> ReadRotationKeys(const json& array) {
    std::vector<HostRotationKey> keys;
    for (const json& item : array) {
        float values[5];
        ReadFloats(item, values, 5);
        keys.push_back({values[0], values[1], values[2], values[3], values[4]});
    }
    return keys;
}

std::filesystem::path FolderOf(const std::string& path) {
    return std::filesystem::absolute(std::filesystem::path(path)).parent_path();
}

std::string StoredTexturePath(const std::string& texture, const std::filesystem::path& folder) {
    if (texture.empty()) {
        return texture;
    }
    std::error_code error;
    const std::filesystem::path relative =
        std::filesystem::absolute(texture, error).lexically_relative(folder);
    if (error || relative.empty() || *relative.begin() == "..") {
        return texture;
    }
    return relative.generic_string();
}

json ToJson(const SceneDesc& desc, const std::filesystem::path& folder) {
    json root;
    root["format"] = kFormat;
    root["version"] = kVersion;
    json& vertices = root["vertices"] = json::array();
    for (const SceneVertex& vertex : desc.vertices) {
        json item = {{"position", Floats(vertex.position, 3)}, {"normal", Floats(vertex.normal, 3)}};
        json weights = json::array();
        for (const HostSkinWeight& weight : vertex.weights) {
            weights.push_back({weight.boneIndex, static_cast<double>(weight.weight)});
        }
        item["weights"] = weights;
        vertices.push_back(item);
    }
    json& coords = root["texCoords"] = json::array();
    for (const HostTexCoord& coord : desc.texCoords) {
        coords.push_back({static_cast<double>(coord.u), static_cast<double>(coord.v)});
    }
    json& materials = root["materials"] = json::array();
    for (const SceneMaterial& material : desc.materials) {
        materials.push_back({{"name", material.name}, {"texture", StoredTexturePath(material.texture, folder)}});
    }
    json& groups = root["groups"] = json::array();
    for (const SceneGroup& group : desc.groups) {
        json faces = json::array();
        for (const SceneFace& face : group.faces) {
            faces.push_back({{"vertices", face.vertices}, {"texCoords", face.texCoords}, {"material", face.material}});
        }
        groups.push_back({{"name", group.name}, {"faces", faces}});
    }
    json& bones = root["bones"] = json::array();
    for (const SceneBone& bone : desc.bones) {
        const RefBoneSetup& s = bone.setup;
        bones.push_back({{"name", bone.name},
                         {"parent", s.parent},
                         {"translation", Floats(s.translation, 3)},
                         {"rotation", Floats(s.rotation, 4)},
                         {"scale", Floats(s.scale, 3)},
                         {"local", Floats(s.local, 16)},
                         {"global", Floats(s.global, 16)}});
    }
    json& animations = root["animations"] = json::array();
    for (const SceneAnimation& animation : desc.animations) {
        json tracks = json::array();
        for (const SceneTrack& track : animation.tracks) {
            tracks.push_back({{"bone", track.bone},
                              {"positions", VectorKeys(track.positions)},
                              {"rotations", RotationKeys(track.rotations)},
                              {"scales", VectorKeys(track.scales)}});
        }
        animations.push_back({{"name", animation.name},
                              {"frameRate", static_cast<double>(animation.frameRate)},
                              {"start", static_cast<double>(animation.start)},
                              {"end", static_cast<double>(animation.end)},
                              {"tracks", tracks}});
        if (animation.length >= 0) {
            animations.back()["length"] = static_cast<double>(animation.length);
        }
    }
    return root;
}

SceneDesc FromJson(const json& root, const std::filesystem::path& folder) {
    if (!root.is_object() || root.value("format", std::string()) != kFormat) {
        throw std::runtime_error(std::string("not a scene file (no \"format\": \"") + kFormat + "\")");
    }
    if (root.at("version").get<int>() != kVersion) {
        throw std::runtime_error("unknown version " + root.at("version").dump());
    }
    SceneDesc desc;
    for (const json& item : root.at("vertices")) {
        SceneVertex vertex;
        ReadFloats(item.at("position"), vertex.position, 3);
        ReadFloats(item.at("normal"), vertex.normal, 3);
        for (const json& weight : item.at("weights")) {
            if (!weight.is_array() || weight.size() != 2) {
                throw std::runtime_error("a weight is not [bone, weight]: " + weight.dump());
            }
            vertex.weights.push_back({weight.at(0).get<int>(), static_cast<float>(weight.at(1).get<double>())});
        }
        desc.vertices.push_back(std::move(vertex));
    }
    for (const json& item : root.at("texCoords")) {
        float uv[2];
        ReadFloats(item, uv, 2);
        HostTexCoord coord{};
        coord.u = uv[0];
        coord.v = uv[1];
        desc.texCoords.push_back(coord);
    }
    for (const json& item : root.at("materials")) {
        SceneMaterial material{item.at("name").get<std::string>(), item.at("texture").get<std::string>()};
        if (!material.texture.empty() && std::filesystem::path(material.texture).is_relative()) {
            material.texture = (folder / material.texture).generic_string();
        }
        desc.materials.push_back(std::move(material));
    }
    for (const json& item : root.at("groups")) {
        SceneGroup group{item.at("name").get<std::string>(), {}};
        for (const json& face : item.at("faces")) {
            group.faces.push_back({face.at("vertices").get<std::vector<int>>(),
                                   face.at("texCoords").get<std::vector<int>>(), face.at("material").get<int>()});
        }
        desc.groups.push_back(std::move(group));
    }
    for (const json& item : root.at("bones")) {
        SceneBone bone;
        bone.name = item.at("name").get<std::string>();
        bone.setup.parent = item.at("parent").get<int>();
        ReadFloats(item.at("translation"), bone.setup.translation, 3);
        ReadFloats(item.at("rotation"), bone.setup.rotation, 4);
        ReadFloats(item.at("scale"), bone.setup.scale, 3);
        ReadFloats(item.at("local"), bone.setup.local, 16);
        ReadFloats(item.at("global"), bone.setup.global, 16);
        desc.bones.push_back(std::move(bone));
    }
    for (const json& item : root.at("animations")) {
        SceneAnimation animation;
        animation.name = item.at("name").get<std::string>();
        animation.frameRate = static_cast<float>(item.at("frameRate").get<double>());
        animation.start = static_cast<float>(item.at("start").get<double>());
        animation.end = static_cast<float>(item.at("end").get<double>());
        animation.length = static_cast<float>(item.value("length", -1.0));
        for (const json& track : item.at("tracks")) {
            animation.tracks.push_back({track.at("bone").get<int>(), ReadVectorKeys(track.at("positions")),
                                        ReadRotationKeys(track.at("rotations")), ReadVectorKeys(track.at("scales"))});
        }
        desc.animations.push_back(std::move(animation));
    }
    return desc;
}

}  // namespace

bool IsSceneFilePath(const std::string& path) {
    if (path.size() < 5) {
        return false;
    }
    std::string tail = path.substr(path.size() - 5);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == ".json";
}

bool WriteSceneFile(const SceneDesc& desc, const std::string& path, std::string* why) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        *why = "cannot be opened for writing";
        return false;
    }
    out << ToJson(desc, FolderOf(path)).dump(1) << "\n";
    out.close();
    if (!out) {
        *why = "could not be written";
        return false;
    }
    return true;
}

bool ReadSceneFile(const std::string& path, SceneDesc* desc, std::string* why) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *why = "cannot be opened";
        return false;
    }
    try {
        const json root = json::parse(in);
        *desc = FromJson(root, FolderOf(path));
    } catch (const std::exception& error) {
        *why = error.what();
        return false;
    }
    return CheckSceneDesc(*desc, why);
}
