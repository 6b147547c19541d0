// The model-file converter (assimp_scene.h) lives in a module of its own
// beside the program, loaded the first time a model file is converted: the
// Open Asset Import Library it links would otherwise be loaded, relocated and
// initialised at the start of every run of the program, imports included.
#pragma once

#include <string>

#include "host/assimp_scene.h"

using BuildAssimpSceneEntry = bool (*)(const std::string* path, const AssimpSceneOptions* options, SceneDesc* desc,
                                       std::string* why);

inline constexpr char kAssimpModuleFile[] = "libcorvane-host-assimp.so";
inline constexpr char kAssimpModuleEntry[] = "CorvaneBuildAssimpScene";
