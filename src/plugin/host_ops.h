// Typed calls of the host's operations, one function per operation.
//
// Every host object with operations begins with a pointer to its table of
// operations; an operation takes the object first, then its arguments. These
// helpers are the only place that turns a table slot into a function.
#pragma once

#include "plugin/host_records.h"

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

int AddExtension(HostRegistration* registration, TextPair* extension);

void* GetParentWindow(HostScene* scene);
int Triangulate(HostScene* scene);
void PreExportFallback(HostScene* scene);
int PreExportQuery(HostScene* scene, TextPair* text);
void PostTriangulate(HostScene* scene, int value);
int AllocVertices(HostScene* scene, int count);
void PreMaterialCheck(HostScene* scene);
void PostImport(HostScene* scene, int value);
void PreBoneConversion(HostScene* scene, int value);
HostImage* LoadImage(HostScene* scene, TextPair* path, int value);
void ReleaseImage(HostScene* scene, HostImage* image);
HostMaterial* AddMaterial(HostScene* scene, TextPair* name);
void* AddGroup(HostScene* scene, TextPair* name, int value);
HostMesh* NewestMesh(HostScene* scene);

int AllocFaces(HostMesh* mesh, int count);

HostTextureLayer* OpenTextureLayer(HostMaterial* material, int layer, int value);
HostTextureLayer* TextureLayer(HostMaterial* material, int layer);

void GetTimeRange(HostAnimation* animation, float* start, float* end);
