// The working state of one conversion of a model file into a scene: the
// file's nodes in depth-first order, the host bones made from them, the mesh
// instances to place, and the steps that fill the scene from them.
#pragma once

#include <assimp/scene.h>

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/assimp_matrix.h"
#include "host/assimp_scene.h"
#include "host/gltf_interpolation.h"
#include "host/scene_desc.h"

namespace assimp_rig {

struct Node {
    const aiNode* node = nullptr;
    int parent = -1;
    Matrix restLocal;
    Matrix restGlobal;
    const aiMatrix4x4* offset = nullptr;  // the first offset matrix a mesh's bone gives it
    bool needed = false;
    int bone = -1;
};

// A host bone. Its host pose must be its node's global transform G(t) times
// `correction` (the identity unless the bind has an uneven stretch, see
// EvenPart), so that pose x bindWorld⁻¹ is G(t) x offset, the skinning the
// file describes.
struct Bone {
    int node = -1;  // -1: a bone that names no node, held at its bind pose
    std::string name;
    const aiMatrix4x4* offset = nullptr;
    int parent = -1;      // host bone
    int parentNode = -1;  // its node: the nearest ancestor whose bone has no correction
    Matrix bindWorld;
    Matrix correction;
    bool corrected = false;
    Matrix bindLocal;
    Trs rest;
    // bindLocal is translation x rotation x a positive uniform scale and the
    // host parent is the node's parent, so that keys carry over key by key.
    bool keysCarryOver = false;
};

struct Instance {
    unsigned mesh = 0;
    int node = 0;
    bool skinned = false;
};

struct Builder {
    const aiScene* scene = nullptr;
    AssimpSceneOptions options;
    std::filesystem::path sourceFolder;
    std::string sourceStem;
    std::vector<Node> nodes;
    std::map<std::string, int> nodeByName;
    std::vector<Bone> bones;
    std::map<std::string, int> boneByName;
    std::vector<std::pair<std::string, const aiMatrix4x4*>> orphans;  // bones naming no node
    std::vector<Instance> instances;
    std::map<int, std::string> writtenTextures;
    GltfStepChannels stepChannels;
};

// Skeleton (assimp_skeleton.cpp): the nodes, depth first from `node`.
void WalkNodes(Builder& b, const aiNode* node, int parent);
// The mesh instances to place, and the nodes their bones name; false with
// the reason when no mesh is placed.
bool FindInstances(Builder& b, std::string* why);
// Every needed node and its ancestors become bones, parents first (the
// nodes are in depth-first order).
void MakeBones(Builder& b);
SceneBone BoneRecord(const Bone& bone);

// Textures (assimp_textures.cpp): the diffuse or base colour texture's path,
// embedded textures written into the texture folder once each; empty when
// there is none or it cannot be written.
std::string TexturePath(Builder& b, const aiMaterial* material);

// Meshes (assimp_meshes.cpp): the instance's vertices, material and group.
void AddInstance(Builder& b, const Instance& instance, SceneDesc* desc);

// Animations (assimp_animation.cpp): one host animation per file animation;
// false with the reason when one is too long to sample.
bool AddAnimations(const Builder& b, SceneDesc* desc, std::string* why);

}  // namespace assimp_rig
