// The reference host's scene: a HostScene with every list the plug-in reads,
// records at their exact strides, and every operation of the interface with
// real behaviour. Tests and corvane-host build scenes through the functions
// below and read them back through the HostScene itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host_api/host_records.h"

struct RefSceneData;

// The HostScene comes first, so the plug-in's scene pointer is this record.
struct RefScene {
    HostScene scene;
    RefSceneData* data;
};

RefScene* RefSceneCreate();
void RefSceneDestroy(RefScene* scene);
// Empties the scene into the state RefSceneCreate gives, keeping the room
// its lists had: cheaper than destroy and create where one scene serves many
// runs (the fuzzers).
void RefSceneReset(RefScene* scene);
HostScene* RefSceneHost(RefScene* scene);

// Lists of the scene. By default a list is present (non-null) exactly when
// it holds records; a test can force it present while empty, or absent.
enum class RefList { PlacedItemsA, PlacedItemsB, Materials, Vertices, Groups, Meshes, Bones, Animations };
enum class RefPresence { Auto, Present, Absent };
void RefSetPresence(RefScene* scene, RefList list, RefPresence presence);

// Answers of operations that tests may turn to failure.
enum class RefAnswer { Triangulate, AllocVertices, AllocFaces, AddMaterial, AddGroup, NewestMesh, OpenTextureLayer, PreExportQuery };
void RefSetAnswer(RefScene* scene, RefAnswer which, int answer);

// Texts of the scene, as the host writes them (UTF-16 and UTF-8 halves).
void RefSetFilePath(RefScene* scene, const std::string& utf8Path);
std::string RefErrorText(RefScene* scene);  // UTF-8 of the UTF-16 half

// --- Building ----------------------------------------------------------------

int RefAddVertex(RefScene* scene, float x, float y, float z);
void RefSetVertexNormal(RefScene* scene, int vertex, float x, float y, float z);
void RefSetVertexWeights(RefScene* scene, int vertex, const std::vector<HostSkinWeight>& weights);

// A material, with an image texture layer when texturePath is not empty.
int RefAddMaterial(RefScene* scene, const std::string& name, const std::string& texturePath, int layerKind = 1);

// A group and its mesh (the face container), numbered together.
int RefAddGroup(RefScene* scene, const std::string& name);
// A face of `group`'s mesh with any number of corners; coordIndices index the
// shared texture-coordinate set (empty: all 0).
int RefAddFace(RefScene* scene, int group, const std::vector<int>& vertexIndices,
               const std::vector<int>& coordIndices = {}, int material = -1);
int RefAddTexCoord(RefScene* scene, float u, float v);

struct RefBoneSetup {
    int parent = -1;
    float translation[3] = {0, 0, 0};
    float rotation[4] = {0, 0, 0, 1};
    float scale[3] = {1, 1, 1};
    float local[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float global[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};
int RefAddBone(RefScene* scene, const RefBoneSetup& bone);
// A bone translated by localY along y from its parent, its rest origin at
// globalY on the y axis; no rotation or scale.
RefBoneSetup RefBoneAlongY(int parent, float localY, float globalY);

int RefAddAnimation(RefScene* scene, const std::string& name, float frameRate, float start, float end);
void RefSetTrack(RefScene* scene, int animation, int bone, const std::vector<HostVectorKey>& positions,
                 const std::vector<HostRotationKey>& rotations, const std::vector<HostVectorKey>& scales);

int RefAddPlacedItemA(RefScene* scene, const float position[3], const float transform[16]);
int RefAddPlacedItemB(RefScene* scene, const float position[3], const float transform[16]);

// --- Reading back ------------------------------------------------------------

// The texture layer 0 of a material, or null.
HostTextureLayer* RefTextureLayer(RefScene* scene, int material);
std::string RefMaterialName(RefScene* scene, int material);
// The window the host hands out as owner of the plug-in's dialogs.
void* RefParentWindow(RefScene* scene);
