// The host application's scene records as the plug-in sees them.
//
// The host is a closed program; these records are a binary interface. Only the
// fields the plug-in uses are named; everything else is opaque bytes that the
// host owns. Every named field and every record size is pinned below, so a
// layout mistake fails the build on every compiler.
#pragma once

#include <cstddef>
#include <cstdint>

// One slot of a host object's table of operations. Operations are called by
// their position in the table (see host_ops.h).
using HostOp = void (*)();

inline constexpr int kTextPairUnits = 260;

// Every text crossing the host boundary: UTF-16 text, then an 8-bit copy of
// the same text, both NUL-terminated.
struct TextPair {
    char16_t wide[kTextPairUnits];
    char narrow[kTextPairUnits];
};

// A list in the scene: a count, and 8 bytes later a pointer to the first
// record. A null pointer means the list is absent.
template <typename T>
struct HostList {
    std::int32_t count;
    std::uint8_t hostReserved[4];
    T* items;
};

// The records a list holds: its count when the list is present, 0 when it is
// absent or its count is not above 0.
template <typename T>
int ListCount(const HostList<T>& list) {
    return list.items != nullptr && list.count > 0 ? list.count : 0;
}

struct HostSkinWeight {
    std::int32_t boneIndex;  // negative: no bone
    float weight;
};

struct HostVertex {
    std::uint8_t hostReserved0[12];
    float position[3];
    float normal[3];
    std::uint8_t hostReserved1[40];
    std::int32_t weightCount;
    HostSkinWeight* weights;
};

// A 16-byte texture coordinate record, used both by the shared coordinate set
// and by the per-corner coordinates of a face.
struct HostTexCoord {
    std::uint8_t hostReserved0[4];
    float u;
    float v;
    std::uint8_t hostReserved1[4];
};

struct HostFaceUV {
    std::uint8_t hostReserved0[8];
    std::int32_t* coordIndices;  // one per corner, into the HostTexCoordSet
    std::uint8_t hostReserved1[8];
    HostTexCoord* cornerUVs;     // one per corner
};

struct HostTexCoordSet {
    std::uint8_t hostReserved0[16];
    HostTexCoord* coords;
};

struct HostFace {
    std::uint8_t hostReserved0[16];
    std::int32_t materialIndex;  // -1: none
    std::int32_t groupIndex;
    std::uint8_t hostReserved1[4];
    float normal[3];
    std::int32_t cornerCount;
    std::uint8_t hostReserved2[4];
    std::int32_t* vertexIndices;
    std::uint8_t hostReserved3[24];
    HostFaceUV* uv;
};

struct HostMesh {
    const HostOp* ops;
    std::uint8_t hostReserved0[4];
    std::int32_t faceCount;
    HostFace* faces;
    std::uint8_t hostReserved1[784];
};

struct HostGroup {
    std::uint8_t hostReserved0[12];
    TextPair name;
    std::uint8_t hostReserved1[160];
    std::int32_t materialCount;
    std::uint8_t hostReserved2[12];
};

struct HostMaterial {
    const HostOp* ops;
    std::uint8_t hostReserved[888];
};

// HostTextureLayer.kind of a layer that names an image file.
inline constexpr std::int32_t kTextureLayerImageFile = 1;
// HostTextureLayer.flags bit of a layer the importer made.
inline constexpr std::int32_t kTextureLayerImported = 1;

struct HostTextureLayer {
    std::uint8_t hostReserved0[4];
    std::int32_t kind;   // kTextureLayerImageFile: an image file
    std::int32_t flags;  // kTextureLayerImported: set by the importer
    std::uint8_t hostReserved1[36];
    TextPair path;
};

struct HostImage {
    std::uint8_t hostReserved[8];
    std::int32_t width;
    std::int32_t height;
};

struct HostVectorKey {
    float time;
    float x, y, z;
};

struct HostRotationKey {
    float time;
    float x, y, z, w;
};

struct HostBoneTrack {
    std::uint8_t hostReserved[8];
    std::int32_t positionKeyCount;
    HostVectorKey* positionKeys;
    std::int32_t rotationKeyCount;
    HostRotationKey* rotationKeys;
    std::int32_t scaleKeyCount;
    HostVectorKey* scaleKeys;
};

struct HostAnimation {
    const HostOp* ops;
    std::uint8_t hostReserved0[4];
    TextPair name;
    std::uint8_t hostReserved1[12];
    float frameRate;  // 0 stands for 30
    std::int32_t trackCount;
    std::uint8_t hostReserved2[4];
    HostBoneTrack* tracks;  // track i belongs to bone i
};

struct HostBone {
    std::uint8_t hostReserved0[792];
    std::int32_t parentIndex;  // negative: a root
    std::uint8_t hostReserved1[36];
    float localTranslation[3];
    float localScale[3];
    std::uint8_t hostReserved2[64];
    float localRotation[4];  // x, y, z, w
    std::uint8_t hostReserved3[12];
    float localMatrix[16];   // relative to the parent, row-major, column vectors
    float globalMatrix[16];  // bone to scene
    std::uint8_t hostReserved4[100];
};

// Two kinds of items the host places in the scene (each with a position and
// a transform), which only the axis conversion turns. The host keeps them in
// two lists of different strides.
struct HostPlacedItemA {
    std::uint8_t hostReserved0[832];
    float position[3];
    std::uint8_t hostReserved1[12];
    float transform[16];
    std::uint8_t hostReserved2[72];
};

struct HostPlacedItemB {
    std::uint8_t hostReserved0[832];
    float position[3];
    std::uint8_t hostReserved1[12];
    float transform[16];
    std::uint8_t hostReserved2[40];
};

struct HostScene {
    const HostOp* ops;
    std::uint8_t hostReserved0[4];
    TextPair filePath;
    std::uint8_t hostReserved1[3120];
    TextPair errorText;
    std::uint8_t hostReserved2[3132];
    HostList<HostPlacedItemA> placedItemsA;
    HostList<HostPlacedItemB> placedItemsB;
    HostList<HostMaterial> materials;
    HostList<HostVertex> vertices;
    std::uint8_t hostReserved3[40];
    HostTexCoordSet* texCoordSet;
    HostList<HostGroup> groups;
    HostList<HostMesh> meshes;
    HostList<HostBone> bones;
    HostList<HostAnimation> animations;
};

// The record the host hands over with the register message.
// Two constant words of the registration record whose meaning is the host's.
inline constexpr std::int32_t kRegistrationFixedWords[2] = {3, 6};

struct HostRegistration {
    const HostOp* ops;
    std::uint32_t identifier[4];
    std::int32_t fixedWords[2];  // kRegistrationFixedWords
    std::uint8_t hostReserved0[8];
    void* callback;       // address of PluginCallback
    TextPair description;
    TextPair version;
    TextPair fileFilter;
};

#define CORVANE_PIN(type, field, offset) \
    static_assert(offsetof(type, field) == (offset), #type "." #field " is at " #offset)

static_assert(sizeof(TextPair) == 780);
CORVANE_PIN(TextPair, narrow, 520);

static_assert(sizeof(HostList<HostVertex>) == 16);
CORVANE_PIN(HostList<HostVertex>, items, 8);

static_assert(sizeof(HostSkinWeight) == 8);
CORVANE_PIN(HostSkinWeight, weight, 4);

static_assert(sizeof(HostVertex) == 88);
CORVANE_PIN(HostVertex, position, 12);
CORVANE_PIN(HostVertex, normal, 24);
CORVANE_PIN(HostVertex, weightCount, 76);
CORVANE_PIN(HostVertex, weights, 80);

static_assert(sizeof(HostTexCoord) == 16);
CORVANE_PIN(HostTexCoord, u, 4);
CORVANE_PIN(HostTexCoord, v, 8);

CORVANE_PIN(HostFaceUV, coordIndices, 8);
CORVANE_PIN(HostFaceUV, cornerUVs, 24);
CORVANE_PIN(HostTexCoordSet, coords, 16);

static_assert(sizeof(HostFace) == 88);
CORVANE_PIN(HostFace, materialIndex, 16);
CORVANE_PIN(HostFace, groupIndex, 20);
CORVANE_PIN(HostFace, normal, 28);
CORVANE_PIN(HostFace, cornerCount, 40);
CORVANE_PIN(HostFace, vertexIndices, 48);
CORVANE_PIN(HostFace, uv, 80);

static_assert(sizeof(HostMesh) == 808);
CORVANE_PIN(HostMesh, ops, 0);
CORVANE_PIN(HostMesh, faceCount, 12);
CORVANE_PIN(HostMesh, faces, 16);

static_assert(sizeof(HostGroup) == 968);
CORVANE_PIN(HostGroup, name, 12);
CORVANE_PIN(HostGroup, materialCount, 952);

static_assert(sizeof(HostMaterial) == 896);
CORVANE_PIN(HostMaterial, ops, 0);

CORVANE_PIN(HostTextureLayer, kind, 4);
CORVANE_PIN(HostTextureLayer, flags, 8);
CORVANE_PIN(HostTextureLayer, path, 48);

CORVANE_PIN(HostImage, width, 8);
CORVANE_PIN(HostImage, height, 12);

static_assert(sizeof(HostVectorKey) == 16);
CORVANE_PIN(HostVectorKey, x, 4);
static_assert(sizeof(HostRotationKey) == 20);
CORVANE_PIN(HostRotationKey, x, 4);
CORVANE_PIN(HostRotationKey, w, 16);

static_assert(sizeof(HostBoneTrack) == 56);
CORVANE_PIN(HostBoneTrack, positionKeyCount, 8);
CORVANE_PIN(HostBoneTrack, positionKeys, 16);
CORVANE_PIN(HostBoneTrack, rotationKeyCount, 24);
CORVANE_PIN(HostBoneTrack, rotationKeys, 32);
CORVANE_PIN(HostBoneTrack, scaleKeyCount, 40);
CORVANE_PIN(HostBoneTrack, scaleKeys, 48);

static_assert(sizeof(HostAnimation) == 824);
CORVANE_PIN(HostAnimation, ops, 0);
CORVANE_PIN(HostAnimation, name, 12);
CORVANE_PIN(HostAnimation, frameRate, 804);
CORVANE_PIN(HostAnimation, trackCount, 808);
CORVANE_PIN(HostAnimation, tracks, 816);

static_assert(sizeof(HostBone) == 1176);
CORVANE_PIN(HostBone, parentIndex, 792);
CORVANE_PIN(HostBone, localTranslation, 832);
CORVANE_PIN(HostBone, localScale, 844);
CORVANE_PIN(HostBone, localRotation, 920);
CORVANE_PIN(HostBone, localMatrix, 948);
CORVANE_PIN(HostBone, globalMatrix, 1012);

static_assert(sizeof(HostPlacedItemA) == 992);
CORVANE_PIN(HostPlacedItemA, position, 832);
CORVANE_PIN(HostPlacedItemA, transform, 856);
static_assert(sizeof(HostPlacedItemB) == 960);
CORVANE_PIN(HostPlacedItemB, position, 832);
CORVANE_PIN(HostPlacedItemB, transform, 856);

CORVANE_PIN(HostScene, ops, 0);
CORVANE_PIN(HostScene, filePath, 12);
CORVANE_PIN(HostScene, errorText, 3912);
CORVANE_PIN(HostScene, placedItemsA, 7824);
CORVANE_PIN(HostScene, placedItemsB, 7840);
CORVANE_PIN(HostScene, materials, 7856);
CORVANE_PIN(HostScene, vertices, 7872);
CORVANE_PIN(HostScene, texCoordSet, 7928);
CORVANE_PIN(HostScene, groups, 7936);
CORVANE_PIN(HostScene, meshes, 7952);
CORVANE_PIN(HostScene, bones, 7968);
CORVANE_PIN(HostScene, animations, 7984);
static_assert(sizeof(HostScene) == 8000);

CORVANE_PIN(HostRegistration, ops, 0);
CORVANE_PIN(HostRegistration, identifier, 8);
CORVANE_PIN(HostRegistration, fixedWords, 24);
CORVANE_PIN(HostRegistration, callback, 40);
CORVANE_PIN(HostRegistration, description, 48);
CORVANE_PIN(HostRegistration, version, 828);
CORVANE_PIN(HostRegistration, fileFilter, 1608);

#undef CORVANE_PIN
