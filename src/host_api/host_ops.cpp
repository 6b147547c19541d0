#include "host_api/host_ops.h"

namespace {

// Calls slot `slot` of the table of operations that `object` starts with.
// A missing table or slot answers a zero result instead of jumping to null.
template <typename Result, typename Object, typename... Args>
Result CallSlot(Object* object, int slot, Args... args) {
    if (object == nullptr || object->ops == nullptr || object->ops[slot] == nullptr) {
        return Result();
    }
    auto fn = reinterpret_cast<Result (*)(Object*, Args...)>(object->ops[slot]);
    return fn(object, args...);
}

}  // namespace

int AddExtension(HostRegistration* registration, TextPair* extension) {
    return CallSlot<int>(registration, kSlotAddExtension, extension);
}

void* GetParentWindow(HostScene* scene) { return CallSlot<void*>(scene, kSlotGetParentWindow); }
int Triangulate(HostScene* scene) { return CallSlot<int>(scene, kSlotTriangulate); }
void PreExportFallback(HostScene* scene) { CallSlot<void>(scene, kSlotPreExportFallback); }
int PreExportQuery(HostScene* scene, TextPair* text) {
    return CallSlot<int>(scene, kSlotPreExportQuery, text);
}
void PostTriangulate(HostScene* scene, int notify) { CallSlot<void>(scene, kSlotPostTriangulate, notify); }
int AllocVertices(HostScene* scene, int count) { return CallSlot<int>(scene, kSlotAllocVertices, count); }
void PreMaterialCheck(HostScene* scene) { CallSlot<void>(scene, kSlotPreMaterialCheck); }
void PostImport(HostScene* scene, int notify) { CallSlot<void>(scene, kSlotPostImport, notify); }
void PreBoneConversion(HostScene* scene, int notify) {
    CallSlot<void>(scene, kSlotPreBoneConversion, notify);
}
HostImage* LoadImage(HostScene* scene, TextPair* path, int flag) {
    return CallSlot<HostImage*>(scene, kSlotLoadImage, path, flag);
}
void ReleaseImage(HostScene* scene, HostImage* image) { CallSlot<void>(scene, kSlotReleaseImage, image); }
HostMaterial* AddMaterial(HostScene* scene, TextPair* name) {
    return CallSlot<HostMaterial*>(scene, kSlotAddMaterial, name);
}
void* AddGroup(HostScene* scene, TextPair* name, int parent) {
    return CallSlot<void*>(scene, kSlotAddGroup, name, parent);
}
HostMesh* NewestMesh(HostScene* scene) { return CallSlot<HostMesh*>(scene, kSlotNewestMesh); }

int AllocFaces(HostMesh* mesh, int count) { return CallSlot<int>(mesh, kSlotAllocFaces, count); }

HostTextureLayer* OpenTextureLayer(HostMaterial* material, int layer, int create) {
    return CallSlot<HostTextureLayer*>(material, kSlotOpenTextureLayer, layer, create);
}
HostTextureLayer* TextureLayer(HostMaterial* material, int layer) {
    return CallSlot<HostTextureLayer*>(material, kSlotTextureLayer, layer);
}

void GetTimeRange(HostAnimation* animation, float* start, float* end) {
    CallSlot<void>(animation, kSlotGetTimeRange, start, end);
}
