#include "host/ref_scene.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "host/call_log.h"
#include "host/harness_coverage.h"
#include "host/host_platform.h"
#include "host/image_size.h"
#include "host/op_table.h"
#include "host/ref_runs.h"
#include "host_api/host_ops.h"

CORVANE_HARNESS_BEGIN

// A face's arrays as the host made them, whatever the plug-in writes into
// the HostFace.
struct RefFaceData {
    int corners;
    std::int32_t* vertexIndices;
    std::int32_t* coordIndices;
    HostTexCoord* cornerUVs;
    HostFaceUV* uv;
};

// The faces of a group and the runs their arrays live in. Faces that are
// replaced release their runs.
struct RefMeshData {
    std::vector<HostFace> faces;
    std::vector<RefFaceData> faceData;
    RefRuns runs;
    std::size_t room = 0;  // faces the group of the same number held in the last scene
};

struct RefMaterialData {
    std::string name;
    std::unique_ptr<HostTextureLayer> layer;
};

struct RefAnimationData {
    float start = 0;
    float end = 0;
    std::vector<HostBoneTrack> tracks;
};

struct RefSceneData {
    std::vector<HostVertex> vertices;
    RefRuns weights;  // the vertices' skin weights
    RefRuns keys;     // the tracks' keys
    std::vector<HostMaterial> materials;
    std::vector<RefMaterialData> materialData;
    std::vector<HostGroup> groups;
    std::vector<HostMesh> meshes;
    std::vector<std::unique_ptr<RefMeshData>> meshData;
    // Emptied meshes of earlier scenes by group number: a group takes the one
    // of its number, so running the same scene again allocates nothing more.
    std::vector<std::unique_ptr<RefMeshData>> spareMeshes;
    std::vector<HostBone> bones;
    std::vector<HostAnimation> animations;
    std::vector<std::unique_ptr<RefAnimationData>> animationData;
    std::vector<HostPlacedItemA> placedA;
    std::vector<HostPlacedItemB> placedB;
    HostTexCoordSet texCoordSet{};
    std::vector<HostTexCoord> texCoords;
    RefPresence presence[8] = {};
    int answers[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    void* parentWindow = nullptr;
};

namespace {

// Object records carry their owner in bytes the plug-in does not use.
struct Owner {
    RefScene* scene;
    std::int32_t index;
};

template <typename Record>
void StashOwner(Record& record, std::size_t offset, RefScene* scene, int index) {
    Owner owner{scene, index};
    std::memcpy(reinterpret_cast<unsigned char*>(&record) + offset, &owner.scene, sizeof(owner.scene));
    std::memcpy(reinterpret_cast<unsigned char*>(&record) + offset + 8, &owner.index, sizeof(owner.index));
}

template <typename Record>
Owner OwnerOf(const Record* record, std::size_t offset) {
    Owner owner{};
    std::memcpy(&owner.scene, reinterpret_cast<const unsigned char*>(record) + offset, sizeof(owner.scene));
    std::memcpy(&owner.index, reinterpret_cast<const unsigned char*>(record) + offset + 8, sizeof(owner.index));
    return owner;
}

constexpr std::size_t kMeshOwnerOffset = offsetof(HostMesh, hostReserved1);
constexpr std::size_t kMaterialOwnerOffset = offsetof(HostMaterial, hostReserved);
constexpr std::size_t kAnimationOwnerOffset = offsetof(HostAnimation, hostReserved1);

int Answer(RefScene* scene, RefAnswer which) { return scene->data->answers[static_cast<int>(which)]; }

RefScene* SceneOf(HostScene* scene) { return reinterpret_cast<RefScene*>(scene); }

void Log(const char* object, const char* name, int slot, long long argument = 0) {
    HostCallLog().push_back({object, name, slot, argument});
}

template <typename Record>
void SetList(HostList<Record>& list, std::vector<Record>& records, RefPresence presence) {
    bool present = presence == RefPresence::Present || (presence == RefPresence::Auto && !records.empty());
    if (records.capacity() == 0) {
        records.reserve(1);
    }
    list.count = static_cast<std::int32_t>(records.size());
    list.items = present ? records.data() : nullptr;
}

// Points the scene's lists at the current storage.
void Sync(RefScene* scene) {
    RefSceneData& d = *scene->data;
    HostScene& s = scene->scene;
    SetList(s.placedItemsA, d.placedA, d.presence[static_cast<int>(RefList::PlacedItemsA)]);
    SetList(s.placedItemsB, d.placedB, d.presence[static_cast<int>(RefList::PlacedItemsB)]);
    SetList(s.materials, d.materials, d.presence[static_cast<int>(RefList::Materials)]);
    SetList(s.vertices, d.vertices, d.presence[static_cast<int>(RefList::Vertices)]);
    SetList(s.groups, d.groups, d.presence[static_cast<int>(RefList::Groups)]);
    SetList(s.meshes, d.meshes, d.presence[static_cast<int>(RefList::Meshes)]);
    SetList(s.bones, d.bones, d.presence[static_cast<int>(RefList::Bones)]);
    SetList(s.animations, d.animations, d.presence[static_cast<int>(RefList::Animations)]);
    d.texCoordSet.coords = d.texCoords.empty() ? nullptr : d.texCoords.data();
    s.texCoordSet = d.texCoords.empty() ? nullptr : &d.texCoordSet;
    for (std::size_t i = 0; i < d.meshes.size(); ++i) {
        RefMeshData& mesh = *d.meshData[i];
        d.meshes[i].faceCount = static_cast<std::int32_t>(mesh.faces.size());
        d.meshes[i].faces = mesh.faces.empty() ? nullptr : mesh.faces.data();
    }
    for (std::size_t i = 0; i < d.animations.size(); ++i) {
        RefAnimationData& animation = *d.animationData[i];
        d.animations[i].trackCount = static_cast<std::int32_t>(animation.tracks.size());
        d.animations[i].tracks = animation.tracks.empty() ? nullptr : animation.tracks.data();
    }
}

// Appends a face of `corners` corners, its arrays zero.
// A copy of `records` in a run of `runs`; null for none.
template <typename Record>
Record* CopyRun(RefRuns& runs, const std::vector<Record>& records) {
    Record* run = TakeRun<Record>(runs, records.size());
    std::copy(records.begin(), records.end(), run);
    return run;
}

int AppendFace(RefMeshData& mesh, int corners, int group, int material) {
    const auto n = static_cast<std::size_t>(corners);
    RefFaceData data{corners, TakeRun<std::int32_t>(mesh.runs, n), TakeRun<std::int32_t>(mesh.runs, n),
                     TakeRun<HostTexCoord>(mesh.runs, n), TakeRun<HostFaceUV>(mesh.runs, 1)};
    data.uv->coordIndices = data.coordIndices;
    data.uv->cornerUVs = data.cornerUVs;
    HostFace face{};
    face.materialIndex = material;
    face.groupIndex = group;
    face.cornerCount = corners;
    face.vertexIndices = data.vertexIndices;
    face.uv = data.uv;
    mesh.faces.push_back(face);
    mesh.faceData.push_back(data);
    return static_cast<int>(mesh.faces.size()) - 1;
}

// Releases the arrays of faces that were replaced.
void ReleaseFaces(const std::vector<RefFaceData>& faces) {
    for (const RefFaceData& face : faces) {
        const auto n = static_cast<std::size_t>(face.corners);
        ReleaseRun(face.vertexIndices, n);
        ReleaseRun(face.coordIndices, n);
        ReleaseRun(face.cornerUVs, n);
        ReleaseRun(face.uv, 1);
    }
}

// --- Operations of the mesh, material and animation objects ------------------

int OpAllocFaces(HostMesh* self, int count) {
    Log("mesh", "AllocFaces", kSlotAllocFaces, count);
    Owner owner = OwnerOf(self, kMeshOwnerOffset);
    if (count < 0 || !Answer(owner.scene, RefAnswer::AllocFaces)) {
        return 0;
    }
    RefMeshData& mesh = *owner.scene->data->meshData[static_cast<std::size_t>(owner.index)];
    ReleaseFaces(mesh.faceData);
    mesh.faces.clear();
    mesh.faceData.clear();
    mesh.faceData.reserve(static_cast<std::size_t>(count));
    mesh.faces.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        AppendFace(mesh, 3, owner.index, -1);
    }
    Sync(owner.scene);
    return 1;
}

HostTextureLayer* OpOpenTextureLayer(HostMaterial* self, int layer, int value) {
    Log("material", "OpenTextureLayer", kSlotOpenTextureLayer, layer);
    Owner owner = OwnerOf(self, kMaterialOwnerOffset);
    if (layer != 0 || value != 1 || !Answer(owner.scene, RefAnswer::OpenTextureLayer)) {
        return nullptr;
    }
    RefMaterialData& material = owner.scene->data->materialData[static_cast<std::size_t>(owner.index)];
    if (!material.layer) {
        material.layer = std::make_unique<HostTextureLayer>();
        material.layer->kind = 1;
    }
    return material.layer.get();
}

HostTextureLayer* OpTextureLayer(HostMaterial* self, int layer) {
    Log("material", "TextureLayer", kSlotTextureLayer, layer);
    Owner owner = OwnerOf(self, kMaterialOwnerOffset);
    RefMaterialData& material = owner.scene->data->materialData[static_cast<std::size_t>(owner.index)];
    return layer == 0 ? material.layer.get() : nullptr;
}

void OpGetTimeRange(HostAnimation* self, float* start, float* end) {
    Log("animation", "GetTimeRange", kSlotGetTimeRange);
    Owner owner = OwnerOf(self, kAnimationOwnerOffset);
    const RefAnimationData& animation = *owner.scene->data->animationData[static_cast<std::size_t>(owner.index)];
    if (start != nullptr) {
        *start = animation.start;
    }
    if (end != nullptr) {
        *end = animation.end;
    }
}

const HostOp* MeshOps() {
    static const HostOpTable table = [] {
        HostOpTable t = MakeTrapTable(kTrapMesh);
        SetOp(t, kSlotAllocFaces, &OpAllocFaces);
        return t;
    }();
    return table.data();
}

const HostOp* MaterialOps() {
    static const HostOpTable table = [] {
        HostOpTable t = MakeTrapTable(kTrapMaterial);
        SetOp(t, kSlotOpenTextureLayer, &OpOpenTextureLayer);
        SetOp(t, kSlotTextureLayer, &OpTextureLayer);
        return t;
    }();
    return table.data();
}

const HostOp* AnimationOps() {
    static const HostOpTable table = [] {
        HostOpTable t = MakeTrapTable(kTrapAnimation);
        SetOp(t, kSlotGetTimeRange, &OpGetTimeRange);
        return t;
    }();
    return table.data();
}

int NewMaterial(RefScene* scene, const std::string& name) {
    RefSceneData& d = *scene->data;
    int index = static_cast<int>(d.materials.size());
    d.materials.push_back(HostMaterial{});
    d.materials.back().ops = MaterialOps();
    StashOwner(d.materials.back(), kMaterialOwnerOffset, scene, index);
    d.materialData.push_back(RefMaterialData{name, nullptr});
    Sync(scene);
    return index;
}

int NewGroup(RefScene* scene, const TextPair& name) {
    RefSceneData& d = *scene->data;
    int index = static_cast<int>(d.groups.size());
    d.groups.push_back(HostGroup{});
    d.groups.back().name = name;
    d.meshes.push_back(HostMesh{});
    d.meshes.back().ops = MeshOps();
    StashOwner(d.meshes.back(), kMeshOwnerOffset, scene, index);
    auto mesh = static_cast<std::size_t>(index) < d.spareMeshes.size()
                    ? std::move(d.spareMeshes[static_cast<std::size_t>(index)])
                    : nullptr;
    if (mesh == nullptr) {
        mesh = std::make_unique<RefMeshData>();
    }
    mesh->faces.reserve(mesh->room);
    d.meshData.push_back(std::move(mesh));
    Sync(scene);
    return index;
}

TextPair HostTextPair(const std::string& utf8) {
    TextPair pair{};
    std::u16string wide = HostWiden(utf8);
    for (std::size_t i = 0; i < wide.size() && i < kTextPairUnits - 1; ++i) {
        pair.wide[i] = wide[i];
    }
    for (std::size_t i = 0; i < utf8.size() && i < kTextPairUnits - 1; ++i) {
        pair.narrow[i] = utf8[i];
    }
    return pair;
}

// Groups count the distinct materials their faces use.
void CountGroupMaterials(RefScene* scene) {
    RefSceneData& d = *scene->data;
    std::vector<std::pair<int, int>> used;  // group, material
    for (const auto& mesh : d.meshData) {
        for (const HostFace& face : mesh->faces) {
            if (face.groupIndex >= 0 && static_cast<std::size_t>(face.groupIndex) < d.groups.size() &&
                face.materialIndex >= 0) {
                used.emplace_back(face.groupIndex, face.materialIndex);
            }
        }
    }
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    for (HostGroup& group : d.groups) {
        group.materialCount = 0;
    }
    for (const auto& [group, material] : used) {
        ++d.groups[static_cast<std::size_t>(group)].materialCount;
    }
}

// After an import the host gathers the corner coordinates into its shared
// texture-coordinate set, as an export expects to find them.
void GatherCornerCoordinates(RefScene* scene) {
    RefSceneData& d = *scene->data;
    for (auto& mesh : d.meshData) {
        for (const RefFaceData& face : mesh->faceData) {
            for (int c = 0; c < face.corners; ++c) {
                face.coordIndices[c] = static_cast<std::int32_t>(d.texCoords.size());
                d.texCoords.push_back(face.cornerUVs[c]);
            }
        }
    }
    Sync(scene);
}

// --- Operations of the scene --------------------------------------------------

void* OpGetParentWindow(HostScene* self) {
    Log("scene", "GetParentWindow", kSlotGetParentWindow);
    RefSceneData& d = *SceneOf(self)->data;
    if (d.parentWindow == nullptr) {
        d.parentWindow = HostCreateParentWindow();
    }
    return d.parentWindow;
}

// Fans every face of more than three corners into triangles; a face of fewer
// than three corners cannot be triangulated.
int OpTriangulate(HostScene* self) {
    Log("scene", "Triangulate", kSlotTriangulate);
    RefScene* scene = SceneOf(self);
    if (!Answer(scene, RefAnswer::Triangulate)) {
        return 0;
    }
    for (auto& mesh : scene->data->meshData) {
        for (const HostFace& face : mesh->faces) {
            if (face.cornerCount < 3) {
                return 0;
            }
        }
    }
    for (auto& mesh : scene->data->meshData) {
        // The old faces are freed and their arrays released once the fans are built.
        const std::vector<HostFace> oldFaces = std::exchange(mesh->faces, {});
        const std::vector<RefFaceData> oldData = std::exchange(mesh->faceData, {});
        std::size_t fans = 0;
        for (const HostFace& face : oldFaces) {
            fans += static_cast<std::size_t>(face.cornerCount - 2);
        }
        mesh->faces.reserve(fans);
        mesh->faceData.reserve(fans);
        for (std::size_t f = 0; f < oldFaces.size(); ++f) {
            const HostFace& face = oldFaces[f];
            const RefFaceData& data = oldData[f];
            for (int k = 1; k + 1 < face.cornerCount; ++k) {
                int index = AppendFace(*mesh, 3, face.groupIndex, face.materialIndex);
                const RefFaceData& out = mesh->faceData[static_cast<std::size_t>(index)];
                const int corners[3] = {0, k, k + 1};
                for (int c = 0; c < 3; ++c) {
                    out.vertexIndices[c] = data.vertexIndices[corners[c]];
                    out.coordIndices[c] = data.coordIndices[corners[c]];
                    out.cornerUVs[c] = data.cornerUVs[corners[c]];
                }
                std::memcpy(mesh->faces.back().normal, face.normal, sizeof(face.normal));
            }
        }
        ReleaseFaces(oldData);
    }
    Sync(scene);
    return 1;
}

void OpPreExportFallback(HostScene*) { Log("scene", "PreExportFallback", kSlotPreExportFallback); }

int OpPreExportQuery(HostScene* self, TextPair*) {
    Log("scene", "PreExportQuery", kSlotPreExportQuery);
    return Answer(SceneOf(self), RefAnswer::PreExportQuery);
}

void OpPostTriangulate(HostScene*, int value) { Log("scene", "PostTriangulate", kSlotPostTriangulate, value); }

int OpAllocVertices(HostScene* self, int count) {
    Log("scene", "AllocVertices", kSlotAllocVertices, count);
    RefScene* scene = SceneOf(self);
    if (count < 0 || !Answer(scene, RefAnswer::AllocVertices)) {
        return 0;
    }
    scene->data->vertices.assign(static_cast<std::size_t>(count), HostVertex{});
    EmptyRuns(scene->data->weights);
    Sync(scene);
    return 1;
}

void OpPreMaterialCheck(HostScene* self) {
    Log("scene", "PreMaterialCheck", kSlotPreMaterialCheck);
    CountGroupMaterials(SceneOf(self));
}

void OpPostImport(HostScene* self, int value) {
    Log("scene", "PostImport", kSlotPostImport, value);
    GatherCornerCoordinates(SceneOf(self));
    CountGroupMaterials(SceneOf(self));
}

void OpPreBoneConversion(HostScene*, int value) {
    Log("scene", "PreBoneConversion", kSlotPreBoneConversion, value);
}

HostImage* OpLoadImage(HostScene*, TextPair* path, int value) {
    Log("scene", "LoadImage", kSlotLoadImage, value);
    if (path == nullptr) {
        return nullptr;
    }
    std::FILE* file = HostOpenFile(*path, "rb");
    int width = 0;
    int height = 0;
    bool known = ReadImageSize(file, &width, &height);
    if (file != nullptr) {
        std::fclose(file);
    }
    if (!known) {
        return nullptr;
    }
    auto* image = new HostImage{};
    image->width = width;
    image->height = height;
    return image;
}

void OpReleaseImage(HostScene*, HostImage* image) {
    Log("scene", "ReleaseImage", kSlotReleaseImage);
    delete image;
}

HostMaterial* OpAddMaterial(HostScene* self, TextPair* name) {
    Log("scene", "AddMaterial", kSlotAddMaterial);
    RefScene* scene = SceneOf(self);
    if (name == nullptr || !Answer(scene, RefAnswer::AddMaterial)) {
        return nullptr;
    }
    int index = NewMaterial(scene, HostText(*name));
    return &scene->data->materials[static_cast<std::size_t>(index)];
}

void* OpAddGroup(HostScene* self, TextPair* name, int value) {
    Log("scene", "AddGroup", kSlotAddGroup, value);
    RefScene* scene = SceneOf(self);
    if (name == nullptr || !Answer(scene, RefAnswer::AddGroup)) {
        return nullptr;
    }
    int index = NewGroup(scene, *name);
    return &scene->data->groups[static_cast<std::size_t>(index)];
}

HostMesh* OpNewestMesh(HostScene* self) {
    Log("scene", "NewestMesh", kSlotNewestMesh);
    RefScene* scene = SceneOf(self);
    if (scene->data->meshes.empty() || !Answer(scene, RefAnswer::NewestMesh)) {
        return nullptr;
    }
    return &scene->data->meshes.back();
}

const HostOp* SceneOps() {
    static const HostOpTable table = [] {
        HostOpTable t = MakeTrapTable(kTrapScene);
        SetOp(t, kSlotGetParentWindow, &OpGetParentWindow);
        SetOp(t, kSlotTriangulate, &OpTriangulate);
        SetOp(t, kSlotPreExportFallback, &OpPreExportFallback);
        SetOp(t, kSlotPreExportQuery, &OpPreExportQuery);
        SetOp(t, kSlotPostTriangulate, &OpPostTriangulate);
        SetOp(t, kSlotAllocVertices, &OpAllocVertices);
        SetOp(t, kSlotPreMaterialCheck, &OpPreMaterialCheck);
        SetOp(t, kSlotPostImport, &OpPostImport);
        SetOp(t, kSlotPreBoneConversion, &OpPreBoneConversion);
        SetOp(t, kSlotLoadImage, &OpLoadImage);
        SetOp(t, kSlotReleaseImage, &OpReleaseImage);
        SetOp(t, kSlotAddMaterial, &OpAddMaterial);
        SetOp(t, kSlotAddGroup, &OpAddGroup);
        SetOp(t, kSlotNewestMesh, &OpNewestMesh);
        return t;
    }();
    return table.data();
}

}  // namespace

// --- Life of a scene -------------------------------------------------------------

namespace {

// Room reserved so that records handed to the plug-in stay in place while it
// adds more (a material stays valid while the next one is added).
void ReserveRecords(RefSceneData& d) {
    d.materials.reserve(1024);
    d.materialData.reserve(1024);
    d.groups.reserve(1024);
    d.meshes.reserve(1024);
    d.animations.reserve(256);
}

// Empties a group's mesh for the group of the same number in a later scene.
// Its face records are freed, so a pointer kept into them is caught, and
// their number is kept to reserve.
void EmptyMesh(RefMeshData& mesh) {
    mesh.room = mesh.faces.size();
    mesh.faces = {};
    mesh.faceData.clear();
    EmptyRuns(mesh.runs);
}

// Empties the lists of `from` and hands their storage to the empty ones of `to`.
template <typename... Records>
void TakeRoom(RefSceneData& from, RefSceneData& to, std::vector<Records> RefSceneData::*... lists) {
    ((from.*lists).clear(), ...);
    ((to.*lists).swap(from.*lists), ...);
}

}  // namespace

RefScene* RefSceneCreate() {
    auto* scene = new RefScene{};
    scene->data = new RefSceneData{};
    scene->scene.ops = SceneOps();
    ReserveRecords(*scene->data);
    Sync(scene);
    return scene;
}

void RefSceneReset(RefScene* scene) {
    RefSceneData* old = scene->data;
    HostDestroyParentWindow(old->parentWindow);
    auto* fresh = new RefSceneData{};
    // The meshes of the groups and the runs keep their room too, emptied.
    fresh->spareMeshes = std::move(old->spareMeshes);
    fresh->spareMeshes.resize(std::max(fresh->spareMeshes.size(), old->meshData.size()));
    for (std::size_t i = 0; i < old->meshData.size(); ++i) {
        EmptyMesh(*old->meshData[i]);
        fresh->spareMeshes[i] = std::move(old->meshData[i]);
    }
    std::swap(fresh->weights, old->weights);
    std::swap(fresh->keys, old->keys);
    EmptyRuns(fresh->weights);
    EmptyRuns(fresh->keys);
    TakeRoom(*old, *fresh, &RefSceneData::vertices, &RefSceneData::materials,
             &RefSceneData::materialData, &RefSceneData::groups, &RefSceneData::meshes, &RefSceneData::meshData,
             &RefSceneData::bones, &RefSceneData::animations, &RefSceneData::animationData, &RefSceneData::placedA,
             &RefSceneData::placedB, &RefSceneData::texCoords);
    delete old;
    scene->data = fresh;
    scene->scene = HostScene{};
    scene->scene.ops = SceneOps();
    ReserveRecords(*fresh);
    Sync(scene);
}

void RefSceneDestroy(RefScene* scene) {
    if (scene == nullptr) {
        return;
    }
    HostDestroyParentWindow(scene->data->parentWindow);
    delete scene->data;
    delete scene;
}

HostScene* RefSceneHost(RefScene* scene) { return &scene->scene; }

void RefSetPresence(RefScene* scene, RefList list, RefPresence presence) {
    scene->data->presence[static_cast<int>(list)] = presence;
    Sync(scene);
}

void RefSetAnswer(RefScene* scene, RefAnswer which, int answer) {
    scene->data->answers[static_cast<int>(which)] = answer;
}

void RefSetFilePath(RefScene* scene, const std::string& utf8Path) {
    scene->scene.filePath = HostTextPair(utf8Path);
}

std::string RefErrorText(RefScene* scene) {
    return HostText(scene->scene.errorText);
}

// --- Building ------------------------------------------------------------------

int RefAddVertex(RefScene* scene, float x, float y, float z) {
    RefSceneData& d = *scene->data;
    HostVertex vertex{};
    vertex.position[0] = x;
    vertex.position[1] = y;
    vertex.position[2] = z;
    d.vertices.push_back(vertex);
    Sync(scene);
    return static_cast<int>(d.vertices.size()) - 1;
}

void RefSetVertexNormal(RefScene* scene, int vertex, float x, float y, float z) {
    HostVertex& v = scene->data->vertices.at(static_cast<std::size_t>(vertex));
    v.normal[0] = x;
    v.normal[1] = y;
    v.normal[2] = z;
}

void RefSetVertexWeights(RefScene* scene, int vertex, const std::vector<HostSkinWeight>& weights) {
    RefSceneData& d = *scene->data;
    HostVertex& v = d.vertices.at(static_cast<std::size_t>(vertex));
    v.weightCount = static_cast<std::int32_t>(weights.size());
    v.weights = CopyRun(d.weights, weights);
}

int RefAddMaterial(RefScene* scene, const std::string& name, const std::string& texturePath, int layerKind) {
    int index = NewMaterial(scene, name);
    if (!texturePath.empty()) {
        RefMaterialData& material = scene->data->materialData[static_cast<std::size_t>(index)];
        material.layer = std::make_unique<HostTextureLayer>();
        material.layer->kind = layerKind;
        material.layer->path = HostTextPair(texturePath);
    }
    return index;
}

int RefAddGroup(RefScene* scene, const std::string& name) { return NewGroup(scene, HostTextPair(name)); }

int RefAddFace(RefScene* scene, int group, const std::vector<int>& vertexIndices,
               const std::vector<int>& coordIndices, int material) {
    RefMeshData& mesh = *scene->data->meshData.at(static_cast<std::size_t>(group));
    int corners = static_cast<int>(vertexIndices.size());
    int index = AppendFace(mesh, corners, group, material);
    const RefFaceData& data = mesh.faceData[static_cast<std::size_t>(index)];
    for (std::size_t c = 0; c < vertexIndices.size(); ++c) {
        data.vertexIndices[c] = vertexIndices[c];
        data.coordIndices[c] = c < coordIndices.size() ? coordIndices[c] : 0;
    }
    Sync(scene);
    return index;
}

int RefAddTexCoord(RefScene* scene, float u, float v) {
    HostTexCoord coord{};
    coord.u = u;
    coord.v = v;
    scene->data->texCoords.push_back(coord);
    Sync(scene);
    return static_cast<int>(scene->data->texCoords.size()) - 1;
}

RefBoneSetup RefBoneAlongY(int parent, float localY, float globalY) {
    RefBoneSetup bone;
    bone.parent = parent;
    bone.translation[1] = localY;
    bone.local[7] = localY;
    bone.global[7] = globalY;
    return bone;
}

int RefAddBone(RefScene* scene, const RefBoneSetup& setup) {
    HostBone bone{};
    bone.parentIndex = setup.parent;
    std::memcpy(bone.localTranslation, setup.translation, sizeof(bone.localTranslation));
    std::memcpy(bone.localRotation, setup.rotation, sizeof(bone.localRotation));
    std::memcpy(bone.localScale, setup.scale, sizeof(bone.localScale));
    std::memcpy(bone.localMatrix, setup.local, sizeof(bone.localMatrix));
    std::memcpy(bone.globalMatrix, setup.global, sizeof(bone.globalMatrix));
    scene->data->bones.push_back(bone);
    Sync(scene);
    return static_cast<int>(scene->data->bones.size()) - 1;
}

int RefAddAnimation(RefScene* scene, const std::string& name, float frameRate, float start, float end) {
    RefSceneData& d = *scene->data;
    int index = static_cast<int>(d.animations.size());
    d.animations.push_back(HostAnimation{});
    HostAnimation& animation = d.animations.back();
    animation.ops = AnimationOps();
    animation.name = HostTextPair(name);
    animation.frameRate = frameRate;
    StashOwner(animation, kAnimationOwnerOffset, scene, index);
    auto data = std::make_unique<RefAnimationData>();
    data->start = start;
    data->end = end;
    d.animationData.push_back(std::move(data));
    Sync(scene);
    return index;
}

void RefSetTrack(RefScene* scene, int animation, int bone, const std::vector<HostVectorKey>& positions,
                 const std::vector<HostRotationKey>& rotations, const std::vector<HostVectorKey>& scales) {
    RefAnimationData& data = *scene->data->animationData.at(static_cast<std::size_t>(animation));
    if (data.tracks.size() <= static_cast<std::size_t>(bone)) {
        data.tracks.resize(static_cast<std::size_t>(bone) + 1, HostBoneTrack{});
    }
    RefRuns& keys = scene->data->keys;
    HostBoneTrack& track = data.tracks[static_cast<std::size_t>(bone)];
    track.positionKeyCount = static_cast<std::int32_t>(positions.size());
    track.positionKeys = CopyRun(keys, positions);
    track.rotationKeyCount = static_cast<std::int32_t>(rotations.size());
    track.rotationKeys = CopyRun(keys, rotations);
    track.scaleKeyCount = static_cast<std::int32_t>(scales.size());
    track.scaleKeys = CopyRun(keys, scales);
    Sync(scene);
}

template <typename Item>
int AddPlacedItem(RefScene* scene, std::vector<Item>& items, const float position[3], const float transform[16]) {
    Item item{};
    std::memcpy(item.position, position, sizeof(item.position));
    std::memcpy(item.transform, transform, sizeof(item.transform));
    items.push_back(item);
    Sync(scene);
    return static_cast<int>(items.size()) - 1;
}

int RefAddPlacedItemA(RefScene* scene, const float position[3], const float transform[16]) {
    return AddPlacedItem(scene, scene->data->placedA, position, transform);
}

int RefAddPlacedItemB(RefScene* scene, const float position[3], const float transform[16]) {
    return AddPlacedItem(scene, scene->data->placedB, position, transform);
}

// --- Reading back -----------------------------------------------------------------

HostTextureLayer* RefTextureLayer(RefScene* scene, int material) {
    return scene->data->materialData.at(static_cast<std::size_t>(material)).layer.get();
}

std::string RefMaterialName(RefScene* scene, int material) {
    return scene->data->materialData.at(static_cast<std::size_t>(material)).name;
}

void* RefParentWindow(RefScene* scene) { return scene->data->parentWindow; }

CORVANE_HARNESS_END
