// Typed calls of the host's operations, one function per operation.
//
// Every host object with operations begins with a pointer to its table of
// operations; an operation takes the object first, then its arguments. These
// helpers are the only place that turns a table slot into a function.
#pragma once

#include "host_api/host_records.h"

// Slots in the tables of operations.
enum HostRegistrationSlot { kSlotAddExtension = 3 };
enum HostSceneSlot {
    kSlotGetParentWindow = 15,
    kSlotTriangulate = 16,
    kSlotPreExportFallback = 26,
    kSlotPreExportQuery = 33,
    kSlotPostTriangulate = 35,
    kSlotAllocVertices = 93,
    kSlotPreMaterialCheck = 103,
    kSlotPostImport = 113,
    kSlotPreBoneConversion = 128,
    kSlotLoadImage = 134,
    kSlotReleaseImage = 138,
    kSlotAddMaterial = 142,
    kSlotAddGroup = 143,
    kSlotNewestMesh = 147,
};
enum HostMeshSlot { kSlotAllocFaces = 5 };
enum HostMaterialSlot { kSlotOpenTextureLayer = 6, kSlotTextureLayer = 8 };
enum HostAnimationSlot { kSlotGetTimeRange = 7 };

// The fixed arguments the plug-in passes.
inline constexpr int kHostNotify = 1;         // PostTriangulate, PostImport, PreBoneConversion
inline constexpr int kLoadImageFlag = 1;      // LoadImage
inline constexpr int kNewGroupNoParent = -1;  // AddGroup
inline constexpr int kFirstTextureLayer = 0;  // OpenTextureLayer, TextureLayer
inline constexpr int kOpenLayerCreate = 1;    // OpenTextureLayer

int AddExtension(HostRegistration* registration, TextPair* extension);

void* GetParentWindow(HostScene* scene);
int Triangulate(HostScene* scene);
void PreExportFallback(HostScene* scene);
int PreExportQuery(HostScene* scene, TextPair* text);
void PostTriangulate(HostScene* scene, int notify);
int AllocVertices(HostScene* scene, int count);
void PreMaterialCheck(HostScene* scene);
void PostImport(HostScene* scene, int notify);
void PreBoneConversion(HostScene* scene, int notify);
HostImage* LoadImage(HostScene* scene, TextPair* path, int flag);
void ReleaseImage(HostScene* scene, HostImage* image);
HostMaterial* AddMaterial(HostScene* scene, TextPair* name);
void* AddGroup(HostScene* scene, TextPair* name, int parent);
HostMesh* NewestMesh(HostScene* scene);

int AllocFaces(HostMesh* mesh, int count);

HostTextureLayer* OpenTextureLayer(HostMaterial* material, int layer, int create);
HostTextureLayer* TextureLayer(HostMaterial* material, int layer);

void GetTimeRange(HostAnimation* animation, float* start, float* end);
