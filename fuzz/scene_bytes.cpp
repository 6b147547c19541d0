#include "fuzz/scene_bytes.h"

#include <algorithm>
#include <cstring>

#include "host/harness_coverage.h"
#include "host_api/host_ops.h"

CORVANE_HARNESS_BEGIN

namespace {

// Sequential reads; past the end every value is zero.
struct ByteReader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at;

    void Take(void* out, std::size_t n) {
        const std::size_t available = at < size ? std::min(n, size - at) : 0;
        if (available > 0) {
            std::memcpy(out, data + at, available);
        }
        std::memset(static_cast<std::uint8_t*>(out) + available, 0, n - available);
        at += n;
    }
    std::uint8_t U8() {
        std::uint8_t v;
        Take(&v, 1);
        return v;
    }
    std::int32_t I32() {
        std::int32_t v;
        Take(&v, 4);
        return v;
    }
    float F32() {
        float v;
        Take(&v, 4);
        return v;
    }
    void Floats(float* out, int n) {
        for (int i = 0; i < n; ++i) {
            out[i] = F32();
        }
    }
    std::string Text() {
        std::string text(U8() % 32, '\0');
        Take(text.data(), text.size());
        // The reference host's texts end at the first zero byte.
        return text.substr(0, text.find('\0'));
    }
};

struct ByteWriter {
    std::vector<std::uint8_t> bytes;

    void Put(const void* in, std::size_t n) {
        const auto* p = static_cast<const std::uint8_t*>(in);
        bytes.insert(bytes.end(), p, p + n);
    }
    void U8(int v) { bytes.push_back(static_cast<std::uint8_t>(v)); }
    void I32(std::int32_t v) { Put(&v, 4); }
    void F32(float v) { Put(&v, 4); }
    void Floats(const float* in, int n) { Put(in, 4 * static_cast<std::size_t>(n)); }
    void Text(const char* text) {
        const std::size_t n = std::min<std::size_t>(strnlen(text, kTextPairUnits), 31);
        U8(static_cast<int>(n));
        Put(text, n);
    }
};

// Counts of each list; a count byte is taken modulo these.
constexpr int kMostVertices = 64;
constexpr int kMostTexCoords = 64;
constexpr int kMostMaterials = 4;
constexpr int kMostGroups = 4;
constexpr int kMostFaces = 64;
constexpr int kMostCorners = 6;
constexpr int kMostWeights = 4;
constexpr int kMostBones = 8;
constexpr int kMostAnimations = 4;
constexpr int kMostTracks = 8;
constexpr int kMostKeys = 6;
constexpr int kMostPlaced = 2;

// Reads a track's keys into `keys`, which keeps its room for the next track.
template <typename Key, int Floats>
void ReadKeys(ByteReader& in, std::vector<Key>& keys) {
    keys.resize(in.U8() % kMostKeys);
    for (Key& key : keys) {
        in.Floats(&key.time, Floats);
    }
}

template <typename Key, int Floats>
void WriteKeys(ByteWriter& out, const Key* keys, int count) {
    const int n = std::clamp(keys != nullptr ? count : 0, 0, kMostKeys - 1);
    out.U8(n);
    for (int i = 0; i < n; ++i) {
        out.Floats(&keys[i].time, Floats);
    }
}

}  // namespace

void SceneFromBytes(RefScene* scene, const std::uint8_t* data, std::size_t size, SceneChoices* choices) {
    ByteReader in{data, size, 0};
    choices->presence = in.U8();
    choices->script = in.U8();
    choices->skinWidth = in.I32();
    choices->skinHeight = in.I32();
    for (int list = 0; list < 7; ++list) {
        if (choices->presence & (1u << list)) {
            RefSetPresence(scene, static_cast<RefList>(list), RefPresence::Present);
        }
    }
    if (choices->presence & 0x80u) {
        RefSetAnswer(scene, RefAnswer::Triangulate, 0);
    }

    // Each list read is filled anew for every item, keeping its room.
    std::vector<HostSkinWeight> weights;
    std::vector<int> corners;
    std::vector<int> coords;
    std::vector<HostVectorKey> positions;
    std::vector<HostRotationKey> rotations;
    std::vector<HostVectorKey> scales;

    const int vertices = in.U8() % kMostVertices;
    for (int v = 0; v < vertices; ++v) {
        float p[6];
        in.Floats(p, 6);
        RefAddVertex(scene, p[0], p[1], p[2]);
        RefSetVertexNormal(scene, v, p[3], p[4], p[5]);
        weights.resize(in.U8() % kMostWeights);
        for (HostSkinWeight& w : weights) {
            w.boneIndex = in.I32();
            w.weight = in.F32();
        }
        RefSetVertexWeights(scene, v, weights);
    }
    const int texCoords = in.U8() % kMostTexCoords;
    for (int t = 0; t < texCoords; ++t) {
        const float u = in.F32();
        RefAddTexCoord(scene, u, in.F32());
    }
    const int materials = in.U8() % kMostMaterials;
    for (int m = 0; m < materials; ++m) {
        const std::string name = in.Text();
        const std::string path = in.Text();
        RefAddMaterial(scene, name, path, in.U8() % 3);
    }
    const int groups = in.U8() % kMostGroups;
    for (int g = 0; g < groups; ++g) {
        RefAddGroup(scene, in.Text());
        const int faces = in.U8() % kMostFaces;
        for (int f = 0; f < faces; ++f) {
            corners.resize(in.U8() % kMostCorners);
            coords.resize(corners.size());
            for (std::size_t c = 0; c < corners.size(); ++c) {
                corners[c] = in.I32();
                coords[c] = in.I32();
                if (coords[c] >= 0) {
                    coords[c] = texCoords > 0 ? coords[c] % texCoords : 0;
                }
            }
            RefAddFace(scene, g, corners, coords, in.I32());
        }
    }
    const int bones = in.U8() % kMostBones;
    for (int b = 0; b < bones; ++b) {
        RefBoneSetup bone;
        bone.parent = in.I32();
        in.Floats(bone.translation, 3);
        in.Floats(bone.rotation, 4);
        in.Floats(bone.scale, 3);
        in.Floats(bone.local, 16);
        in.Floats(bone.global, 16);
        RefAddBone(scene, bone);
    }
    const int animations = in.U8() % kMostAnimations;
    for (int a = 0; a < animations; ++a) {
        const std::string name = in.Text();
        float timing[3];
        in.Floats(timing, 3);
        RefAddAnimation(scene, name, timing[0], timing[1], timing[2]);
        const int tracks = in.U8() % kMostTracks;
        for (int t = 0; t < tracks; ++t) {
            const int bone = in.U8() % kMostTracks;
            ReadKeys<HostVectorKey, 4>(in, positions);
            ReadKeys<HostRotationKey, 5>(in, rotations);
            ReadKeys<HostVectorKey, 4>(in, scales);
            RefSetTrack(scene, a, bone, positions, rotations, scales);
        }
    }
    for (int kind = 0; kind < 2; ++kind) {
        const int items = in.U8() % (kMostPlaced + 1);
        for (int i = 0; i < items; ++i) {
            float p[19];
            in.Floats(p, 19);
            (kind == 0 ? RefAddPlacedItemA : RefAddPlacedItemB)(scene, p, p + 3);
        }
    }
    if (choices->presence & 0x40u && animations == 0) {
        RefSetPresence(scene, RefList::Animations, RefPresence::Present);
    }
    // Negative counts where the host promises none.
    const std::uint8_t negative = in.U8();
    HostScene* host = RefSceneHost(scene);
    for (int v = 0; (negative & 1u) && v < ListCount(host->vertices); ++v) {
        host->vertices.items[v].weightCount = -host->vertices.items[v].weightCount - 1;
    }
    for (int a = 0; (negative & 6u) && a < ListCount(host->animations); ++a) {
        HostAnimation& animation = host->animations.items[a];
        for (int t = 0; (negative & 2u) && animation.tracks != nullptr && t < animation.trackCount; ++t) {
            animation.tracks[t].positionKeyCount = -animation.tracks[t].positionKeyCount;
            animation.tracks[t].rotationKeyCount = -animation.tracks[t].rotationKeyCount - 1;
        }
        if (negative & 4u) {
            animation.trackCount = -animation.trackCount - 1;
        }
    }
    if (negative & 8u) {
        host->bones.count = -host->bones.count - 1;
        host->animations.count = -host->animations.count - 1;
    }
}

std::vector<std::uint8_t> SceneBytes(HostScene* scene, const SceneChoices& choices) {
    ByteWriter out;
    out.U8(choices.presence);
    out.U8(choices.script);
    out.I32(choices.skinWidth);
    out.I32(choices.skinHeight);

    const int vertices = std::min(ListCount(scene->vertices), kMostVertices - 1);
    out.U8(vertices);
    for (int v = 0; v < vertices; ++v) {
        const HostVertex& vertex = scene->vertices.items[v];
        out.Floats(vertex.position, 3);
        out.Floats(vertex.normal, 3);
        const int weights = std::clamp(vertex.weights != nullptr ? vertex.weightCount : 0, 0, kMostWeights - 1);
        out.U8(weights);
        for (int w = 0; w < weights; ++w) {
            out.I32(vertex.weights[w].boneIndex);
            out.F32(vertex.weights[w].weight);
        }
    }
    // The coordinates the faces name, up to the first index the count cannot hold.
    int texCoords = 0;
    for (int m = 0; m < ListCount(scene->meshes); ++m) {
        const HostMesh& mesh = scene->meshes.items[m];
        for (int f = 0; f < mesh.faceCount; ++f) {
            const HostFace& face = mesh.faces[f];
            for (int c = 0; face.uv != nullptr && c < face.cornerCount; ++c) {
                texCoords = std::max(texCoords, face.uv->coordIndices[c] + 1);
            }
        }
    }
    texCoords = scene->texCoordSet != nullptr ? std::min(texCoords, kMostTexCoords - 1) : 0;
    out.U8(texCoords);
    for (int t = 0; t < texCoords; ++t) {
        out.F32(scene->texCoordSet->coords[t].u);
        out.F32(scene->texCoordSet->coords[t].v);
    }
    const int materials = std::min(ListCount(scene->materials), kMostMaterials - 1);
    out.U8(materials);
    for (int m = 0; m < materials; ++m) {
        HostMaterial* material = &scene->materials.items[m];
        const HostTextureLayer* layer = TextureLayer(material, 0);
        out.Text("");
        out.Text(layer != nullptr ? layer->path.narrow : "");
        out.U8(layer != nullptr ? layer->kind : 1);
    }
    const int groups = std::min(std::min(ListCount(scene->groups), ListCount(scene->meshes)), kMostGroups - 1);
    out.U8(groups);
    for (int g = 0; g < groups; ++g) {
        out.Text(scene->groups.items[g].name.narrow);
        const HostMesh& mesh = scene->meshes.items[g];
        const int faces = std::clamp(mesh.faceCount, 0, kMostFaces - 1);
        out.U8(faces);
        for (int f = 0; f < faces; ++f) {
            const HostFace& face = mesh.faces[f];
            const int corners = std::clamp(face.cornerCount, 0, kMostCorners - 1);
            out.U8(corners);
            for (int c = 0; c < corners; ++c) {
                out.I32(face.vertexIndices[c]);
                out.I32(face.uv != nullptr ? face.uv->coordIndices[c] : 0);
            }
            out.I32(face.materialIndex);
        }
    }
    const int bones = std::min(ListCount(scene->bones), kMostBones - 1);
    out.U8(bones);
    for (int b = 0; b < bones; ++b) {
        const HostBone& bone = scene->bones.items[b];
        out.I32(bone.parentIndex);
        out.Floats(bone.localTranslation, 3);
        out.Floats(bone.localRotation, 4);
        out.Floats(bone.localScale, 3);
        out.Floats(bone.localMatrix, 16);
        out.Floats(bone.globalMatrix, 16);
    }
    const int animations = std::min(ListCount(scene->animations), kMostAnimations - 1);
    out.U8(animations);
    for (int a = 0; a < animations; ++a) {
        HostAnimation* animation = &scene->animations.items[a];
        out.Text(animation->name.narrow);
        float start = 0;
        float end = 0;
        GetTimeRange(animation, &start, &end);
        out.F32(animation->frameRate);
        out.F32(start);
        out.F32(end);
        const int tracks = std::clamp(animation->tracks != nullptr ? animation->trackCount : 0, 0, kMostTracks - 1);
        out.U8(tracks);
        for (int t = 0; t < tracks; ++t) {
            const HostBoneTrack& track = animation->tracks[t];
            out.U8(t);
            WriteKeys<HostVectorKey, 4>(out, track.positionKeys, track.positionKeyCount);
            WriteKeys<HostRotationKey, 5>(out, track.rotationKeys, track.rotationKeyCount);
            WriteKeys<HostVectorKey, 4>(out, track.scaleKeys, track.scaleKeyCount);
        }
    }
    out.U8(0);
    out.U8(0);
    out.U8(0);
    return out.bytes;
}

CORVANE_HARNESS_END
