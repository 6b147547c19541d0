// A host scene as plain data: what a scene source (a file assimp reads, or a
// scene file) produces, what the scene file holds, and what builds the
// reference host's scene. Numbers are the host's own (float, Y up).
#pragma once

#include <string>
#include <vector>

#include "host/ref_scene.h"

struct SceneVertex {
    float position[3] = {0, 0, 0};
    float normal[3] = {0, 0, 0};
    std::vector<HostSkinWeight> weights;
};

struct SceneMaterial {
    std::string name;
    std::string texture;  // image file path, empty: no texture layer
};

struct SceneFace {
    std::vector<int> vertices;   // indices into SceneDesc::vertices
    std::vector<int> texCoords;  // indices into SceneDesc::texCoords, one per corner or none
    int material = -1;
};

struct SceneGroup {
    std::string name;
    std::vector<SceneFace> faces;
};

struct SceneBone {
    std::string name;
    RefBoneSetup setup;
};

struct SceneTrack {
    int bone = 0;
    std::vector<HostVectorKey> positions;
    std::vector<HostRotationKey> rotations;
    std::vector<HostVectorKey> scales;
};

struct SceneAnimation {
    std::string name;
    float frameRate = 10;
    float start = 0;
    float end = 0;
    std::vector<SceneTrack> tracks;
    float length = -1;  // the length sampled over for a frame count (frame_counts.h); negative: end
};

struct SceneDesc {
    std::vector<SceneVertex> vertices;
    std::vector<HostTexCoord> texCoords;
    std::vector<SceneMaterial> materials;
    std::vector<SceneGroup> groups;
    std::vector<SceneBone> bones;
    std::vector<SceneAnimation> animations;
};

// False, with a reason, when an index (vertex, texture coordinate, material,
// bone, parent, track bone) is out of range or a face has fewer than three
// corners: the plug-in takes such indices unchecked.
bool CheckSceneDesc(const SceneDesc& desc, std::string* why);

// The reference host's scene holding `desc` (which must pass the check).
RefScene* BuildRefScene(const SceneDesc& desc);
