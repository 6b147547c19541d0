#include "md2tool/gltf_writer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <utility>

#include <nlohmann/json.hpp>

#include "md2/md2_frame_positions.h"
#include "md2/md2_normals.h"
#include "md2tool/frame_choice.h"
#include "md2tool/gl_commands.h"
#include "md2tool/large_bytes.h"

namespace {

using nlohmann::json;

constexpr int kFloat = 5126;
constexpr int kUnsignedShort = 5123;
constexpr int kUnsignedInt = 5125;
constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;
constexpr int kNearest = 9728;
constexpr std::uint64_t kLargestOutput = 0x7FFFFFFF;

std::uint64_t Padded(std::uint64_t bytes) { return (bytes + 3) & ~std::uint64_t{3}; }

// A glTF vertex: a file vertex with one of its texture coordinates.
struct Corner {
    int vertex;
    int texCoord;
};

struct Mesh {
    std::vector<Corner> corners;    // the glTF vertices
    std::vector<std::uint32_t> indices;  // three per triangle, winding turned
};

Mesh BuildMesh(const Md2Model& model) {
    Mesh mesh;
    std::map<std::pair<int, int>, std::uint32_t> known;
    for (int t = 0; t < model.triangleCount; ++t) {
        const Md2Triangle& triangle = model.triangles[t];
        for (int k = 2; k >= 0; --k) {
            const std::pair<int, int> key{triangle.vertexIndices[k], triangle.texCoordIndices[k]};
            const auto [at, added] = known.emplace(key, static_cast<std::uint32_t>(mesh.corners.size()));
            if (added) {
                mesh.corners.push_back({key.first, key.second});
            }
            mesh.indices.push_back(at->second);
        }
    }
    return mesh;
}

// glTF's axes from the model's: (x, y, z) -> (x, z, -y).
struct Vec3 {
    float v[3];
};
Vec3 TurnAxes(float x, float y, float z) { return {{x, z, -y}}; }

Vec3 NormalOf(std::uint8_t index) {
    if (index >= kMd2NormalCount) {
        return {{0, 1, 0}};  // outside the table: straight up
    }
    const float* n = kMd2Normals[index];
    return TurnAxes(n[0], n[1], n[2]);
}

// One frame as the reader decodes it, read per glTF vertex.
struct FrameCorners {
    const Md2Frame& frame;
    const std::vector<int>& cornerVertices;
    float scale;
    Md2AxisValues table;

    FrameCorners(const Md2Model& model, const std::vector<int>& corners, int index, float s)
        : frame(model.frames[index]), cornerVertices(corners), scale(s) {
        TabulateMd2Frame(frame, &table);
    }
    const std::uint8_t* Vertex(std::size_t corner) const {
        return frame.vertices + static_cast<std::size_t>(cornerVertices[corner]) * kMd2VertexBytes;
    }
    Vec3 Position(std::size_t corner) const {
        const Md2Position p = Md2VertexPosition(table, Vertex(corner));
        return TurnAxes(p.x * scale, p.y * scale, p.z * scale);
    }
    Vec3 Normal(std::size_t corner) const { return NormalOf(Vertex(corner)[3]); }
};

struct Bounds {
    float lo[3] = {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::infinity(),
                   std::numeric_limits<float>::infinity()};
    float hi[3] = {-std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                   -std::numeric_limits<float>::infinity()};
    void Add(const Vec3& p) {
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], p.v[a]);
            hi[a] = std::max(hi[a], p.v[a]);
        }
    }
};

Vec3 Minus(const Vec3& a, const Vec3& b) { return {{a.v[0] - b.v[0], a.v[1] - b.v[1], a.v[2] - b.v[2]}}; }

// The document's accessors, buffer views and where each lies in the buffer.
struct Layout {
    json accessors = json::array();
    json views = json::array();
    std::uint64_t bytes = 0;

    // A buffer view of `length` bytes at the end; answers its index.
    int View(std::uint64_t length, int target) {
        json view = {{"buffer", 0}, {"byteOffset", bytes}, {"byteLength", length}};
        if (target != 0) {
            view["target"] = target;
        }
        views.push_back(std::move(view));
        bytes += Padded(length);
        return static_cast<int>(views.size()) - 1;
    }
    // An accessor over a view of its own; answers the accessor's index.
    int Accessor(int componentType, std::size_t componentBytes, std::size_t count, const char* type, int components,
                 int target) {
        const int view = View(static_cast<std::uint64_t>(count) * components * componentBytes, target);
        accessors.push_back({{"bufferView", view}, {"componentType", componentType}, {"count", count}, {"type", type}});
        return static_cast<int>(accessors.size()) - 1;
    }
};

void SetBounds(json& accessor, const Bounds& bounds) {
    accessor["min"] = {bounds.lo[0], bounds.lo[1], bounds.lo[2]};
    accessor["max"] = {bounds.hi[0], bounds.hi[1], bounds.hi[2]};
}

// Pieces gathered into a buffer of a fixed size and handed on when it fills.
struct PieceBuffer {
    static constexpr std::size_t kBytes = std::size_t{2} << 20;
    const BytePieces& put;
    LargeBytes bytes = NewLargeBytes(kBytes);
    std::size_t used = 0;
    std::uint64_t total = 0;
    bool ok = bytes != nullptr;  // false when memory ran out

    bool Flush() {
        ok = ok && (used == 0 || put(std::span<const std::uint8_t>(bytes.get(), used)));
        used = 0;
        return ok;
    }
    // Room for `count` bytes (at most kBytes), to be written at once.
    std::uint8_t* Room(std::size_t count) {
        if (kBytes - used < count && !Flush()) {
            return nullptr;
        }
        std::uint8_t* at = bytes.get() + used;
        used += count;
        total += count;
        return at;
    }
    void Bytes(const void* data, std::size_t count) {
        const auto* from = static_cast<const std::uint8_t*>(data);
        while (count > 0 && ok) {
            const std::size_t n = std::min(count, kBytes);
            if (std::uint8_t* at = Room(n)) {
                std::memcpy(at, from, n);
            }
            from += n;
            count -= n;
        }
    }
    void Zeros(std::size_t count) {
        while (count > 0 && ok) {
            const std::size_t n = std::min(count, kBytes);
            if (std::uint8_t* at = Room(n)) {
                std::memset(at, 0, n);
            }
            count -= n;
        }
    }
    // Zeros up to the next multiple of four: every view starts aligned.
    void Pad() { Zeros(static_cast<std::size_t>(Padded(total) - total)); }
};

// Writes value(i) for every glTF vertex i, straight into the pieces.
template <typename Value>
void PutVec3s(PieceBuffer* out, std::size_t count, Value value) {
    constexpr std::size_t kBlock = PieceBuffer::kBytes / sizeof(Vec3);
    for (std::size_t first = 0; first < count && out->ok; first += kBlock) {
        const std::size_t n = std::min(kBlock, count - first);
        auto* at = reinterpret_cast<float*>(out->Room(n * sizeof(Vec3)));
        for (std::size_t i = 0; at != nullptr && i < n; ++i) {
            const Vec3 v = value(first + i);
            std::memcpy(at + 3 * i, v.v, sizeof v.v);
        }
    }
}

}  // namespace

bool PlanGltf(const Md2FileView& view, const Md2Model& model, const std::vector<GltfSkin>& skins,
              const GltfOptions& options, GltfDocument* out, std::string* error) {
    static_assert(sizeof(Vec3) == 12);
    const Mesh mesh = BuildMesh(model);
    out->cornerVertices.clear();
    for (const Corner& corner : mesh.corners) {
        out->cornerVertices.push_back(corner.vertex);
    }
    const std::size_t vertexCount = mesh.corners.size();
    const std::size_t targetCount = options.frames.size();
    const std::vector<FrameGroup> groups = targetCount > 1 ? GroupFramesByName(model, options.frames)
                                                           : std::vector<FrameGroup>{};
    std::vector<std::vector<std::uint8_t>>& pngs = out->pngs;
    pngs.assign(skins.size(), {});
    for (std::size_t i = 0; i < skins.size(); ++i) {
        if (!EncodePng(skins[i].image, &pngs[i])) {
            *error = "skin " + skins[i].name + " could not be encoded as PNG";
            return false;
        }
    }

    // The first pass: the bounds every position accessor states.
    std::vector<Vec3> basePositions(vertexCount);
    std::vector<Vec3> baseNormals(vertexCount);
    const FrameCorners base(model, out->cornerVertices, options.frames[0], options.scale);
    Bounds baseBounds;
    for (std::size_t i = 0; i < vertexCount; ++i) {
        basePositions[i] = base.Position(i);
        baseNormals[i] = base.Normal(i);
        baseBounds.Add(basePositions[i]);
    }
    std::vector<Bounds> targetBounds(targetCount);
    for (std::size_t t = 0; t < targetCount; ++t) {
        const FrameCorners frame(model, out->cornerVertices, options.frames[t], options.scale);
        for (std::size_t i = 0; i < vertexCount; ++i) {
            targetBounds[t].Add(Minus(frame.Position(i), basePositions[i]));
        }
    }

    // The document.
    Layout layout;
    const bool wide = vertexCount > 0xFFFF;
    const int indices = layout.Accessor(wide ? kUnsignedInt : kUnsignedShort, wide ? 4 : 2, mesh.indices.size(),
                                        "SCALAR", 1, kElementArrayBuffer);
    const int texCoords = layout.Accessor(kFloat, 4, vertexCount, "VEC2", 2, kArrayBuffer);
    const int basePosition = layout.Accessor(kFloat, 4, vertexCount, "VEC3", 3, kArrayBuffer);
    SetBounds(layout.accessors[static_cast<std::size_t>(basePosition)], baseBounds);
    const int baseNormal = layout.Accessor(kFloat, 4, vertexCount, "VEC3", 3, kArrayBuffer);
    json targets = json::array();
    json targetNames = json::array();
    std::vector<int> targetPositions(targetCount);
    for (std::size_t t = 0; t < targetCount; ++t) {
        targetPositions[t] = layout.Accessor(kFloat, 4, vertexCount, "VEC3", 3, kArrayBuffer);
        SetBounds(layout.accessors[static_cast<std::size_t>(targetPositions[t])], targetBounds[t]);
        const int normal = layout.Accessor(kFloat, 4, vertexCount, "VEC3", 3, kArrayBuffer);
        targets.push_back({{"POSITION", targetPositions[t]}, {"NORMAL", normal}});
        targetNames.push_back(model.frames[options.frames[t]].name);
    }
    json animations = json::array();
    for (const FrameGroup& group : groups) {
        const std::size_t keys = group.frames.size();
        const int times = layout.Accessor(kFloat, 4, keys, "SCALAR", 1, 0);
        const float last = static_cast<float>(keys - 1) / options.fps;
        layout.accessors[static_cast<std::size_t>(times)]["min"] = {0.0};
        layout.accessors[static_cast<std::size_t>(times)]["max"] = {last};
        const int weights = layout.Accessor(kFloat, 4, keys * targetCount, "SCALAR", 1, 0);
        animations.push_back(
            {{"name", group.name},
             {"samplers", {{{"input", times}, {"output", weights}, {"interpolation", "LINEAR"}}}},
             {"channels", {{{"sampler", 0}, {"target", {{"node", 0}, {"path", "weights"}}}}}}});
    }
    json images = json::array();
    std::vector<int> imageViews;
    for (std::size_t i = 0; i < pngs.size(); ++i) {
        if (options.binary) {
            imageViews.push_back(layout.View(pngs[i].size(), 0));
            images.push_back({{"bufferView", imageViews.back()}, {"mimeType", "image/png"}, {"name", skins[i].name}});
        } else {
            images.push_back({{"uri", options.imageUris.at(i)}, {"name", skins[i].name}});
        }
    }

    json primitive = {{"attributes", {{"POSITION", basePosition}, {"NORMAL", baseNormal}, {"TEXCOORD_0", texCoords}}},
                      {"indices", indices},
                      {"material", 0},
                      {"mode", 4},
                      {"targets", std::move(targets)}};
    json document = {{"asset", {{"version", "2.0"}, {"generator", "corvane-md2"}}},
                     {"scene", 0},
                     {"scenes", {{{"nodes", {0}}}}},
                     {"nodes", {{{"mesh", 0}, {"name", "model"}}}},
                     {"meshes", {{{"primitives", {std::move(primitive)}},
                                  {"extras", {{"targetNames", std::move(targetNames)}}}}}},
                     {"accessors", std::move(layout.accessors)},
                     {"bufferViews", std::move(layout.views)}};
    json materials = json::array();
    for (std::size_t i = 0; i < skins.size(); ++i) {
        materials.push_back({{"name", skins[i].name},
                             {"pbrMetallicRoughness",
                              {{"baseColorTexture", {{"index", i}}}, {"metallicFactor", 0.0}, {"roughnessFactor", 1.0}}}});
    }
    if (skins.empty()) {
        materials.push_back(
            {{"name", "untextured"}, {"pbrMetallicRoughness", {{"metallicFactor", 0.0}, {"roughnessFactor", 1.0}}}});
    } else {
        json textures = json::array();
        for (std::size_t i = 0; i < skins.size(); ++i) {
            textures.push_back({{"sampler", 0}, {"source", i}});
        }
        document["images"] = images;
        document["textures"] = textures;
        document["samplers"] = {{{"magFilter", kNearest}, {"minFilter", kNearest}}};
    }
    document["materials"] = materials;
    if (skins.size() > 1) {
        json variants = json::array();
        json mappings = json::array();
        for (std::size_t i = 0; i < skins.size(); ++i) {
            variants.push_back({{"name", skins[i].name}});
            mappings.push_back({{"material", i}, {"variants", {i}}});
        }
        document["extensionsUsed"] = {"KHR_materials_variants"};
        document["extensions"] = {{"KHR_materials_variants", {{"variants", variants}}}};
        document["meshes"][0]["primitives"][0]["extensions"] = {{"KHR_materials_variants", {{"mappings", mappings}}}};
    }
    if (!animations.empty()) {
        document["animations"] = std::move(animations);
    }
    json buffer = {{"byteLength", layout.bytes}};
    if (!options.binary) {
        buffer["uri"] = options.bufferUri;
    }
    document["buffers"] = {buffer};

    // The output, with the buffer's place in it.
    out->json = document.dump();
    out->bufferBytes = layout.bytes;
    const std::uint64_t total = options.binary ? 12 + 8 + Padded(out->json.size()) + 8 + layout.bytes : out->json.size();
    if (total > kLargestOutput || layout.bytes > kLargestOutput) {
        *error = "the glTF output would pass 2 GiB";
        return false;
    }

    // What the buffer is made of.
    out->wideIndices = wide;
    out->indices = mesh.indices;
    out->texCoords.clear();
    const float width = static_cast<float>(view.header.skinwidth);
    const float height = static_cast<float>(view.header.skinheight);
    for (const Corner& corner : mesh.corners) {
        const Md2TexCoordRecord st = TexCoordAt(view, corner.texCoord);
        out->texCoords.push_back(GlTexCoord(st.s, width));
        out->texCoords.push_back(GlTexCoord(st.t, height));
    }
    out->basePositions.clear();
    out->baseNormals.clear();
    for (std::size_t i = 0; i < vertexCount; ++i) {
        out->basePositions.insert(out->basePositions.end(), basePositions[i].v, basePositions[i].v + 3);
        out->baseNormals.insert(out->baseNormals.end(), baseNormals[i].v, baseNormals[i].v + 3);
    }
    out->groupKeys.clear();
    for (const FrameGroup& group : groups) {
        out->groupKeys.push_back(static_cast<int>(group.frames.size()));
    }
    out->imagesInBuffer = options.binary;
    return true;
}

bool PutGltfBuffer(const Md2Model& model, const GltfOptions& options, const GltfDocument& document,
                   const BytePieces& put) {
    PieceBuffer out{put};
    for (std::uint32_t index : document.indices) {
        if (document.wideIndices) {
            out.Bytes(&index, 4);
        } else {
            const auto narrow = static_cast<std::uint16_t>(index);
            out.Bytes(&narrow, 2);
        }
    }
    out.Pad();
    out.Bytes(document.texCoords.data(), document.texCoords.size() * sizeof(float));
    out.Bytes(document.basePositions.data(), document.basePositions.size() * sizeof(float));
    out.Bytes(document.baseNormals.data(), document.baseNormals.size() * sizeof(float));
    const std::size_t vertexCount = document.cornerVertices.size();
    if (document.basePositions.size() != 3 * vertexCount || document.baseNormals.size() != 3 * vertexCount) {
        return false;
    }
    std::vector<Vec3> basePositions(vertexCount);
    std::vector<Vec3> baseNormals(vertexCount);
    for (std::size_t i = 0; i < vertexCount; ++i) {
        std::memcpy(basePositions[i].v, &document.basePositions[3 * i], sizeof(Vec3));
        std::memcpy(baseNormals[i].v, &document.baseNormals[3 * i], sizeof(Vec3));
    }
    for (int index : options.frames) {
        const FrameCorners frame(model, document.cornerVertices, index, options.scale);
        PutVec3s(&out, vertexCount, [&](std::size_t i) { return Minus(frame.Position(i), basePositions[i]); });
        PutVec3s(&out, vertexCount, [&](std::size_t i) { return Minus(frame.Normal(i), baseNormals[i]); });
    }
    // One key per frame of a group; the weights one-hot on that frame.
    const std::size_t targetCount = options.frames.size();
    std::size_t firstTarget = 0;
    for (int keys : document.groupKeys) {
        for (int k = 0; k < keys; ++k) {
            const float time = static_cast<float>(k) / options.fps;
            out.Bytes(&time, 4);
        }
        const float one = 1.0f;
        for (int k = 0; k < keys; ++k) {
            const std::size_t hot = firstTarget + static_cast<std::size_t>(k);
            out.Zeros(4 * hot);
            out.Bytes(&one, 4);
            out.Zeros(4 * (targetCount - hot - 1));
        }
        firstTarget += static_cast<std::size_t>(keys);
    }
    for (std::size_t i = 0; document.imagesInBuffer && i < document.pngs.size(); ++i) {
        out.Bytes(document.pngs[i].data(), document.pngs[i].size());
        out.Pad();
    }
    return out.Flush() && out.total == document.bufferBytes;
}

std::uint64_t GlbBytes(const GltfDocument& document) {
    return 12 + 8 + Padded(document.json.size()) + 8 + document.bufferBytes;
}

bool PutGlb(const Md2Model& model, const GltfOptions& options, const GltfDocument& document, const BytePieces& put) {
    const std::uint64_t jsonBytes = Padded(document.json.size());
    const std::uint64_t total = GlbBytes(document);
    const std::uint32_t header[] = {0x46546C67u, 2u, static_cast<std::uint32_t>(total),
                                    static_cast<std::uint32_t>(jsonBytes), 0x4E4F534Au};
    std::string head(reinterpret_cast<const char*>(header), sizeof header);
    head += document.json;
    head.append(static_cast<std::size_t>(jsonBytes - document.json.size()), ' ');
    const std::uint32_t binHeader[] = {static_cast<std::uint32_t>(document.bufferBytes), 0x004E4942u};
    head.append(reinterpret_cast<const char*>(binHeader), sizeof binHeader);
    return put(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(head.data()), head.size())) &&
           PutGltfBuffer(model, options, document, put);
}
