#include "md2tool/gltf_writer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <utility>

#include "md2/md2_frame_positions.h"
#include "md2/md2_normals.h"
#include "md2tool/frame_choice.h"
#include "md2tool/gl_commands.h"
#include "md2tool/gltf_json.h"
#include "md2tool/gltf_layout.h"
#include "md2tool/json_out.h"
#include "md2tool/large_bytes.h"

namespace {

constexpr int kFloat = 5126;
constexpr int kUnsignedShort = 5123;
constexpr int kUnsignedInt = 5125;
constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;
constexpr std::uint64_t kLargestOutput = 0x7FFFFFFF;

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
using Vec3 = GltfVec3;
Vec3 TurnAxes(float x, float y, float z) { return {{x, z, -y}}; }

Vec3 NormalOf(std::uint8_t index) {
    if (index >= kMd2NormalCount) {
        return {{0, 1, 0}};  // outside the table: straight up
    }
    const float* n = kMd2Normals[index];
    return TurnAxes(n[0], n[1], n[2]);
}

Vec3 Minus(const Vec3& a, const Vec3& b) { return {{a.v[0] - b.v[0], a.v[1] - b.v[1], a.v[2] - b.v[2]}}; }

using FrameValues = GltfFrameValues;

// A file vertex's position in glTF's axes, at the given scale.
Vec3 PositionOf(const Md2AxisValues& table, const std::uint8_t* vertex, float scale) {
    const Md2Position p = Md2VertexPosition(table, vertex);
    return TurnAxes(p.x * scale, p.y * scale, p.z * scale);
}

// The values of the file vertices in `used`, less `base`'s when given.
void DecodeFrame(const Md2Model& model, int index, float scale, const std::vector<int>& used, const FrameValues* base,
                 FrameValues* out) {
    const Md2Frame& frame = model.frames[index];
    Md2AxisValues table;
    TabulateMd2Frame(frame, &table);
    out->positions.resize(static_cast<std::size_t>(frame.vertexCount));
    out->normals.resize(static_cast<std::size_t>(frame.vertexCount));
    for (const int v : used) {
        const std::uint8_t* vertex = frame.vertices + static_cast<std::size_t>(v) * kMd2VertexBytes;
        const Vec3 position = PositionOf(table, vertex, scale);
        const Vec3 normal = NormalOf(vertex[3]);
        out->positions[static_cast<std::size_t>(v)] =
            base == nullptr ? position : Minus(position, base->positions[static_cast<std::size_t>(v)]);
        out->normals[static_cast<std::size_t>(v)] =
            base == nullptr ? normal : Minus(normal, base->normals[static_cast<std::size_t>(v)]);
    }
}

struct Bounds {
    float lo[3] = {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::infinity(),
                   std::numeric_limits<float>::infinity()};
    float hi[3] = {-std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                   -std::numeric_limits<float>::infinity()};
    float probe = 0;  // stays 0 while every value is finite: inf x 0 and NaN x 0 are NaN
    void Add(const Vec3& p) {
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], p.v[a]);
            hi[a] = std::max(hi[a], p.v[a]);
            probe += p.v[a] * 0.0f;
        }
    }
    bool Finite() const { return probe == 0; }  // glTF holds finite numbers only
};

// The bounds of a frame's positions less `base`'s, over the vertices in `used`.
Bounds DeltaBounds(const Md2Model& model, int index, float scale, const std::vector<int>& used, const FrameValues& base) {
    const Md2Frame& frame = model.frames[index];
    Md2AxisValues table;
    TabulateMd2Frame(frame, &table);
    Bounds bounds;
    for (const int v : used) {
        const Vec3 position = PositionOf(table, frame.vertices + static_cast<std::size_t>(v) * kMd2VertexBytes, scale);
        bounds.Add(Minus(position, base.positions[static_cast<std::size_t>(v)]));
    }
    return bounds;
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
    void Pad() { Zeros(static_cast<std::size_t>(GltfPadded(total) - total)); }
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

bool GltfModelUsable(const Md2FileView& view) {
    return view.header.skinwidth > 0 && view.header.skinheight > 0 && view.header.num_xyz > 0 &&
           TriangleIndicesInRange(view);
}

bool PlanGltf(const Md2FileView& view, const Md2Model& model, const std::vector<GltfSkin>& skins,
              const GltfOptions& options, GltfDocument* out, std::string* error) {
    static_assert(sizeof(Vec3) == 12);
    const Mesh mesh = BuildMesh(model);
    out->cornerVertices.clear();
    // Every frame has the header's vertex count, which the triangles' indices were checked against.
    const int fileVertices = view.header.num_xyz;
    std::vector<bool> isUsed(static_cast<std::size_t>(fileVertices), false);
    for (const Corner& corner : mesh.corners) {
        out->cornerVertices.push_back(corner.vertex);
        isUsed[static_cast<std::size_t>(corner.vertex)] = true;
    }
    out->usedVertices.clear();
    for (int v = 0; v < fileVertices; ++v) {
        if (isUsed[static_cast<std::size_t>(v)]) {
            out->usedVertices.push_back(v);
        }
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
    FrameValues& base = out->base;
    DecodeFrame(model, options.frames[0], options.scale, out->usedVertices, nullptr, &base);
    Bounds baseBounds;
    for (const int v : out->usedVertices) {
        baseBounds.Add(base.positions[static_cast<std::size_t>(v)]);
    }
    std::vector<Bounds> targetBounds(targetCount);
    for (std::size_t t = 0; t < targetCount; ++t) {
        targetBounds[t] = DeltaBounds(model, options.frames[t], options.scale, out->usedVertices, base);
    }

    for (std::size_t t = 0; t <= targetCount; ++t) {
        const Bounds& bounds = t == 0 ? baseBounds : targetBounds[t - 1];
        if (!bounds.Finite()) {
            const int frame = options.frames[t == 0 ? 0 : t - 1];
            *error = "frame " + std::to_string(frame) + " \"" + Utf8Text(model.frames[frame].name) +
                     "\" has positions that are not finite single-precision numbers, which glTF cannot hold";
            return false;
        }
    }

    // Where everything lies: the indices, the texture coordinates and every
    // array of three floats each in a view of their own, then the
    // animations' keys and the images.
    GltfLayout layout;
    const bool wide = vertexCount > 0xFFFF;
    const int indices = layout.AddAccessor(layout.AddView(mesh.indices.size() * (wide ? 4 : 2), kElementArrayBuffer), 0,
                                           wide ? kUnsignedInt : kUnsignedShort, mesh.indices.size(), 1);
    const int texCoords = layout.AddAccessor(layout.AddView(vertexCount * 8, kArrayBuffer), 0, kFloat, vertexCount, 2);
    const std::uint64_t arrayBytes = vertexCount * sizeof(Vec3);
    const int arrays = layout.AddView((2 + 2 * targetCount) * arrayBytes, kArrayBuffer, sizeof(Vec3));
    const int basePosition = layout.AddAccessor(arrays, 0, kFloat, vertexCount, 3);
    layout.Bound(basePosition, baseBounds.lo, baseBounds.hi);
    const int baseNormal = layout.AddAccessor(arrays, arrayBytes, kFloat, vertexCount, 3);
    const int firstTarget = baseNormal + 1;
    for (std::size_t t = 0; t < targetCount; ++t) {
        const int position = layout.AddAccessor(arrays, (2 + 2 * t) * arrayBytes, kFloat, vertexCount, 3);
        layout.Bound(position, targetBounds[t].lo, targetBounds[t].hi);
        layout.AddAccessor(arrays, (3 + 2 * t) * arrayBytes, kFloat, vertexCount, 3);
    }
    std::uint64_t keyBytes = 0;
    for (const FrameGroup& group : groups) {
        keyBytes += group.frames.size() * (1 + targetCount) * 4;
    }
    const int keyView = groups.empty() ? -1 : layout.AddView(keyBytes, 0);
    const int firstKeys = static_cast<int>(layout.accessors.size());
    std::uint64_t keyOffset = 0;
    for (const FrameGroup& group : groups) {
        const std::size_t keys = group.frames.size();
        const int times = layout.AddAccessor(keyView, keyOffset, kFloat, keys, 1);
        const float first = 0;
        const float last = static_cast<float>(keys - 1) / options.fps;
        layout.Bound(times, &first, &last);
        layout.AddAccessor(keyView, keyOffset + keys * 4, kFloat, keys * targetCount, 1);
        keyOffset += keys * (1 + targetCount) * 4;
    }
    const int firstImageView = static_cast<int>(layout.views.size());
    for (std::size_t i = 0; options.binary && i < pngs.size(); ++i) {
        layout.AddView(pngs[i].size(), 0);
    }

    const GltfParts parts{indices, texCoords, basePosition, baseNormal, firstTarget, firstKeys, firstImageView};
    out->json = GltfJson(layout, parts, model, options, groups, skins);
    if (out->json.empty()) {
        *error = "the glTF document could not be written";
        return false;
    }

    // The output, with the buffer's place in it.
    out->bufferBytes = layout.bytes;
    const std::uint64_t total = options.binary ? 12 + 8 + GltfPadded(out->json.size()) + 8 + layout.bytes : out->json.size();
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
    const std::vector<int>& corners = document.cornerVertices;
    const auto putFrame = [&](const FrameValues& values) {
        PutVec3s(&out, corners.size(), [&](std::size_t i) { return values.positions[static_cast<std::size_t>(corners[i])]; });
        PutVec3s(&out, corners.size(), [&](std::size_t i) { return values.normals[static_cast<std::size_t>(corners[i])]; });
    };
    putFrame(document.base);
    FrameValues deltas;
    for (const int index : options.frames) {
        DecodeFrame(model, index, options.scale, document.usedVertices, &document.base, &deltas);
        putFrame(deltas);
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
    return 12 + 8 + GltfPadded(document.json.size()) + 8 + document.bufferBytes;
}

bool PutGlb(const Md2Model& model, const GltfOptions& options, const GltfDocument& document, const BytePieces& put) {
    const std::uint64_t jsonBytes = GltfPadded(document.json.size());
    const std::uint64_t total = GlbBytes(document);
    const std::uint32_t header[] = {0x46546C67u, 2u, static_cast<std::uint32_t>(total),
                                    static_cast<std::uint32_t>(jsonBytes), 0x4E4F534Au};
    // The JSON chunk's padding (spaces) and the binary chunk's header.
    std::uint8_t between[3 + 8] = {' ', ' ', ' '};
    const std::size_t padding = static_cast<std::size_t>(jsonBytes - document.json.size());
    const std::uint32_t binHeader[] = {static_cast<std::uint32_t>(document.bufferBytes), 0x004E4942u};
    std::memcpy(between + padding, binHeader, sizeof binHeader);
    const auto bytes = [](const void* data, std::size_t count) {
        return std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), count);
    };
    return put(bytes(header, sizeof header)) && put(bytes(document.json.data(), document.json.size())) &&
           put(bytes(between, padding + sizeof binHeader)) && PutGltfBuffer(model, options, document, put);
}
