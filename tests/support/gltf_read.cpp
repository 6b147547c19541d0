#include "support/gltf_read.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;

std::vector<std::uint8_t> FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t Word(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

struct Document {
    json root;
    std::vector<std::uint8_t> buffer;
    std::filesystem::path folder;

    // The bytes of a buffer view.
    std::vector<std::uint8_t> View(std::size_t index) const {
        const json& view = root.at("bufferViews").at(index);
        const std::size_t offset = view.value("byteOffset", std::size_t{0});
        const std::size_t length = view.at("byteLength").get<std::size_t>();
        if (offset + length > buffer.size()) {
            return {};
        }
        return std::vector<std::uint8_t>(buffer.begin() + static_cast<std::ptrdiff_t>(offset),
                                         buffer.begin() + static_cast<std::ptrdiff_t>(offset + length));
    }

    // An accessor's components as floats (float, unsigned short or unsigned
    // int): `count` elements from its offset into its view, a view's stride apart.
    std::vector<float> Floats(std::size_t index) const {
        const json& accessor = root.at("accessors").at(index);
        const std::size_t viewIndex = accessor.at("bufferView").get<std::size_t>();
        const std::vector<std::uint8_t> bytes = View(viewIndex);
        const int type = accessor.at("componentType").get<int>();
        const std::size_t size = type == 5123 ? 2 : 4;
        const std::string shape = accessor.at("type").get<std::string>();
        const std::size_t components = shape == "VEC3" ? 3 : shape == "VEC2" ? 2 : 1;
        const std::size_t stride =
            root.at("bufferViews").at(viewIndex).value("byteStride", static_cast<std::size_t>(components * size));
        const std::size_t first = accessor.value("byteOffset", std::size_t{0});
        std::vector<float> values;
        for (std::size_t i = 0; i < accessor.at("count").get<std::size_t>(); ++i) {
            for (std::size_t k = 0; k < components; ++k) {
                const std::size_t at = first + i * stride + k * size;
                if (at + size > bytes.size()) {
                    return {};
                }
                if (type == 5126) {
                    float value = 0;
                    std::memcpy(&value, bytes.data() + at, 4);
                    values.push_back(value);
                } else {
                    std::uint32_t value = 0;
                    std::memcpy(&value, bytes.data() + at, size);
                    values.push_back(static_cast<float>(value));
                }
            }
        }
        return values;
    }

    template <std::size_t N>
    std::vector<std::array<float, N>> Vectors(std::size_t index) const {
        const std::vector<float> values = Floats(index);
        std::vector<std::array<float, N>> out(values.size() / N);
        for (std::size_t i = 0; i < out.size(); ++i) {
            for (std::size_t k = 0; k < N; ++k) {
                out[i][k] = values[N * i + k];
            }
        }
        return out;
    }
};

bool Open(const std::string& path, Document* doc, std::string* error) {
    const std::vector<std::uint8_t> bytes = FileBytes(path);
    doc->folder = std::filesystem::path(path).parent_path();
    if (bytes.size() >= 20 && Word(bytes, 0) == 0x46546C67u) {
        const std::size_t jsonBytes = Word(bytes, 12);
        if (Word(bytes, 8) != bytes.size() || 20 + jsonBytes + 8 > bytes.size()) {
            *error = "GLB lengths do not match the file";
            return false;
        }
        doc->root = json::parse(bytes.begin() + 20, bytes.begin() + 20 + static_cast<std::ptrdiff_t>(jsonBytes));
        const std::size_t binAt = 20 + jsonBytes;
        doc->buffer.assign(bytes.begin() + static_cast<std::ptrdiff_t>(binAt + 8),
                           bytes.begin() + static_cast<std::ptrdiff_t>(binAt + 8 + Word(bytes, binAt)));
        return true;
    }
    doc->root = json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (doc->root.is_discarded()) {
        *error = "neither GLB nor JSON";
        return false;
    }
    doc->buffer = FileBytes(doc->folder / doc->root.at("buffers").at(0).at("uri").get<std::string>());
    return true;
}

}  // namespace

bool ReadGltfFile(const std::string& path, GltfReadModel* model, std::string* error) {
    Document doc;
    if (!Open(path, &doc, error)) {
        return false;
    }
    try {
        const json& mesh = doc.root.at("meshes").at(0);
        const json& primitive = mesh.at("primitives").at(0);
        for (float index : doc.Floats(primitive.at("indices").get<std::size_t>())) {
            model->indices.push_back(static_cast<std::uint32_t>(index));
        }
        model->positions = doc.Vectors<3>(primitive.at("attributes").at("POSITION").get<std::size_t>());
        model->texCoords = doc.Vectors<2>(primitive.at("attributes").at("TEXCOORD_0").get<std::size_t>());
        for (const json& target : primitive.value("targets", json::array())) {
            model->targetPositions.push_back(doc.Vectors<3>(target.at("POSITION").get<std::size_t>()));
        }
        model->targetNames = mesh.at("extras").at("targetNames").get<std::vector<std::string>>();
        for (const json& animation : doc.root.value("animations", json::array())) {
            GltfReadAnimation read;
            read.name = animation.at("name").get<std::string>();
            const json& sampler = animation.at("samplers").at(0);
            read.times = doc.Floats(sampler.at("input").get<std::size_t>());
            const std::vector<float> weights = doc.Floats(sampler.at("output").get<std::size_t>());
            const std::size_t targets = model->targetPositions.size();
            for (std::size_t k = 0; targets > 0 && (k + 1) * targets <= weights.size(); ++k) {
                read.weights.emplace_back(weights.begin() + static_cast<std::ptrdiff_t>(k * targets),
                                          weights.begin() + static_cast<std::ptrdiff_t>((k + 1) * targets));
            }
            model->animations.push_back(read);
        }
        if (doc.root.contains("extensions")) {
            for (const json& variant : doc.root["extensions"].at("KHR_materials_variants").at("variants")) {
                model->variants.push_back(variant.at("name").get<std::string>());
            }
        }
        for (const json& image : doc.root.value("images", json::array())) {
            model->images.push_back(image.contains("uri")
                                        ? FileBytes(doc.folder / image["uri"].get<std::string>())
                                        : doc.View(image.at("bufferView").get<std::size_t>()));
        }
        if (doc.root.contains("samplers") && doc.root["samplers"].at(0).value("magFilter", 0) == 9728) {
            model->magFilter = "nearest";
        }
    } catch (const json::exception& e) {
        *error = e.what();
        return false;
    }
    return true;
}

std::vector<std::array<float, 3>> MorphedPositions(const GltfReadModel& model, const std::vector<float>& weights) {
    std::vector<std::array<float, 3>> out = model.positions;
    for (std::size_t t = 0; t < weights.size() && t < model.targetPositions.size(); ++t) {
        if (weights[t] == 0) {
            continue;
        }
        for (std::size_t i = 0; i < out.size() && i < model.targetPositions[t].size(); ++i) {
            for (int a = 0; a < 3; ++a) {
                out[i][static_cast<std::size_t>(a)] += weights[t] * model.targetPositions[t][i][static_cast<std::size_t>(a)];
            }
        }
    }
    return out;
}
