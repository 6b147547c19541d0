// Scene files: a host scene as JSON (format in docs/scene-file.md), written by
// `corvane-host export ... --save-scene F.json` and read back as a source by
// the Linux and Windows hosts alike.
#pragma once

#include <string>

#include "host/scene_desc.h"

// True for a path ending in .json (any case).
bool IsSceneFilePath(const std::string& path);

// Writes `desc`; texture paths are stored relative to the scene file's
// folder when they lie below it, otherwise as given. False, with a reason,
// when the file cannot be written.
bool WriteSceneFile(const SceneDesc& desc, const std::string& path, std::string* why);

// Reads a scene file, checks every index (CheckSceneDesc) and resolves
// relative texture paths against the file's folder. False, with a reason,
// when the file cannot be read, is not JSON or does not have the format.
bool ReadSceneFile(const std::string& path, SceneDesc* desc, std::string* why);
