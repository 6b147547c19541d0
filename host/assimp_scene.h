// A host scene from any file the Open Asset Import Library reads (Linux
// only: the library is not built for Windows).
//
// Host vertices come mesh by mesh: the nodes are walked depth first (a node
// before its children, children in order) and each node's meshes in order;
// a mesh with bones comes once, where it is first met, with its vertices as
// the file gives them; a mesh without bones comes at every node that holds
// it, with its vertices placed by that node's rest transform.
#pragma once

#include <string>

#include "host/frame_counts.h"
#include "host/scene_desc.h"

struct AssimpSceneOptions {
    float fps = 10;             // each animation's frameRate
    float scale = 1;            // multiplies every position
    std::string textureFolder;  // where embedded textures are written
    std::vector<FrameCount> frameCounts;  // animations sampled to a number of frames
};

// Ticks per second of an animation whose file gives none.
inline constexpr double kDefaultTicksPerSecond = 25.0;

// False, with one line naming `path` and the reason, when the library cannot
// read the file or it holds no mesh. Exported from the converter module
// (assimp_module.h), which the tests link directly.
__attribute__((visibility("default"))) bool BuildAssimpScene(const std::string& path, const AssimpSceneOptions& options, SceneDesc* desc, std::string* why);
