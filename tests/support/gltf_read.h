// A small reader of the glTF files corvane-md2 writes, for the tests: the
// first mesh's first primitive, its morph targets and the weights
// animations, read from the JSON and the buffer on their own.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct GltfReadAnimation {
    std::string name;
    std::vector<float> times;
    std::vector<std::vector<float>> weights;  // one vector of every target's weight per key
};

struct GltfReadModel {
    std::vector<std::uint32_t> indices;
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 2>> texCoords;
    std::vector<std::vector<std::array<float, 3>>> targetPositions;  // deltas, per target
    std::vector<std::string> targetNames;
    std::vector<GltfReadAnimation> animations;
    std::vector<std::string> variants;                 // names of the material variants
    std::vector<std::vector<std::uint8_t>> images;     // each image's bytes
    std::string magFilter;                             // "nearest" when the sampler says so
};

// Reads a .glb, or a .gltf with its buffer and images beside it. False with a
// message when the file is not one this reader follows.
bool ReadGltfFile(const std::string& path, GltfReadModel* model, std::string* error);

// The positions the mesh takes with the given weights of its targets.
std::vector<std::array<float, 3>> MorphedPositions(const GltfReadModel& model, const std::vector<float>& weights);
