// An MD2 model as glTF 2.0: one mesh of triangles with a glTF vertex per
// distinct (vertex, texture coordinate) pair of the file's triangles, the
// first chosen frame as its positions and normals, every chosen frame as a
// morph target of position and normal deltas, and one animation per group of
// frames of one name, keyed with one-hot weights. Axes turn from the model's
// Z up to glTF's Y up, (x, y, z) -> (x, z, -y), and the winding turns
// with them as the import turns it: corners (c, b, a) of the file's (a, b, c).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "md2/md2_model.h"
#include "md2tool/md2_file_view.h"
#include "md2tool/rgba_image.h"
#include "util/large_buffer.h"

struct GltfSkin {
    std::string name;  // the material's and the variant's name
    RgbaImage image;
};

struct GltfOptions {
    float fps = 10;
    float scale = 1;
    std::vector<int> frames;  // the chosen frames, in order; at least one
    bool binary = true;       // .glb, else .gltf with the buffer and images beside it
    std::string bufferUri;    // .gltf: the buffer's file name
    std::vector<std::string> imageUris;  // .gltf: each skin's PNG file name
};

// Frees a large buffer of the size it was made with.
struct LargeBufferRelease {
    std::size_t size;
    void operator()(std::uint8_t* bytes) const { DeleteLargeBuffer(bytes, size); }
};

// Bytes made without being cleared first (every byte is written), in large
// pages when they are large.
struct GltfBytes {
    std::unique_ptr<std::uint8_t[], LargeBufferRelease> data{nullptr, LargeBufferRelease{0}};
    std::size_t size = 0;
};

struct GltfFiles {
    GltfBytes main;  // the .glb, or the .gltf's JSON
    GltfBytes buffer;                // .gltf: the .bin
    std::vector<std::vector<std::uint8_t>> images;  // .gltf: each skin's PNG
};

// False with a message when a skin cannot be encoded as PNG, the output
// would pass 2 GiB or its memory cannot be had.
bool BuildGltf(const Md2FileView& view, const Md2Model& model, const std::vector<GltfSkin>& skins,
               const GltfOptions& options, GltfFiles* files, std::string* error);
