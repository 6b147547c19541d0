// Export sources other than MD2 files and the demo: scene files (.json) on
// every platform, and on Linux any file the Open Asset Import Library reads.
#pragma once

#include <string>

#include "host/frame_counts.h"
#include "host/scene_desc.h"

struct SceneSourceOptions {
    float fps = 10;             // frame rate given to converted animations
    float scale = 1;            // multiplies every converted position
    std::string textureFolder;  // where embedded textures of a converted file go
    std::vector<FrameCount> frameCounts;  // animations sampled to a number of frames (frame_counts.h)
};

// True when this build converts files with the Open Asset Import Library.
bool CanConvertModelFiles();

// The scene of SOURCE. A scene file is taken as it is (fps and scale are
// already in it), apart from the frame counts asked for. False, with one line naming the file and the reason, when
// it cannot be read or holds no mesh.
bool LoadSceneSource(const std::string& path, const SceneSourceOptions& options, SceneDesc* desc, std::string* why);
