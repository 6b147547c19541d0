// An MD2 model as glTF 2.0: one mesh of triangles with a glTF vertex per
// distinct (vertex, texture coordinate) pair of the file's triangles, the
// first chosen frame as its positions and normals, every chosen frame as a
// morph target of position and normal deltas, and one animation per group of
// frames of one name, keyed with one-hot weights. Axes turn from the model's
// Z up to glTF's Y up, (x, y, z) -> (x, z, -y), and the winding turns
// with them as the import turns it: corners (c, b, a) of the file's (a, b, c).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "md2/md2_model.h"
#include "md2tool/md2_file_view.h"
#include "md2tool/rgba_image.h"
#include "md2tool/tool_files.h"

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

// Three floats: a position or a normal in glTF's axes.
struct GltfVec3 {
    float v[3];
};

// A frame's positions and normals as the reader decodes them, or their
// differences from another frame's, per file vertex: every glTF vertex of a
// file vertex takes the same values.
struct GltfFrameValues {
    std::vector<GltfVec3> positions;
    std::vector<GltfVec3> normals;
};

// The document and what its buffer is made of, ready to be written any
// number of times.
struct GltfDocument {
    std::string json;                              // the JSON text
    std::uint64_t bufferBytes = 0;                 // the binary buffer's length
    std::vector<std::vector<std::uint8_t>> pngs;   // each skin's PNG
    // The buffer's parts, in its order.
    bool wideIndices = false;
    std::vector<std::uint32_t> indices;            // three per triangle
    std::vector<float> texCoords;                  // u, v per glTF vertex
    std::vector<int> cornerVertices;               // the file vertex of each glTF vertex
    std::vector<int> usedVertices;                 // the file vertices of the mesh, ascending
    GltfFrameValues base;                          // the first chosen frame
    std::vector<int> groupKeys;                    // the keys of each animation
    bool imagesInBuffer = false;                   // .glb: the PNGs close the buffer
};

// Whether the file can become glTF at all: a skin of some size and every
// triangle's vertex and texture coordinate indices in range.
bool GltfModelUsable(const Md2FileView& view);

// False with a message when a skin cannot be encoded as PNG or the output
// would pass 2 GiB.
bool PlanGltf(const Md2FileView& view, const Md2Model& model, const std::vector<GltfSkin>& skins,
              const GltfOptions& options, GltfDocument* document, std::string* error);

// The binary buffer, or the whole .glb, a piece at a time: every frame goes
// straight from its decode into a small buffer of pieces.
bool PutGltfBuffer(const Md2Model& model, const GltfOptions& options, const GltfDocument& document,
                   const BytePieces& put);
std::uint64_t GlbBytes(const GltfDocument& document);
bool PutGlb(const Md2Model& model, const GltfOptions& options, const GltfDocument& document, const BytePieces& put);
