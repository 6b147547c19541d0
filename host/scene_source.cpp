#include "host/scene_source.h"

#include "host/scene_file.h"

#ifdef CORVANE_HAVE_ASSIMP
#include "host/assimp_scene.h"
#endif

bool CanConvertModelFiles() {
#ifdef CORVANE_HAVE_ASSIMP
    return true;
#else
    return false;
#endif
}

bool LoadSceneSource(const std::string& path, const SceneSourceOptions& options, SceneDesc* desc, std::string* why) {
    if (IsSceneFilePath(path)) {
        std::string reason;
        if (!ReadSceneFile(path, desc, &reason)) {
            *why = path + ": " + reason;
            return false;
        }
        if (desc->groups.empty() || desc->vertices.empty()) {
            *why = path + ": the scene holds no mesh";
            return false;
        }
        return true;
    }
#ifdef CORVANE_HAVE_ASSIMP
    AssimpSceneOptions converter;
    converter.fps = options.fps;
    converter.scale = options.scale;
    converter.textureFolder = options.textureFolder;
    return BuildAssimpScene(path, converter, desc, why);
#else
    (void)options;
    *why = path + ": this build reads MD2 and scene files (.json) only; convert other formats with the Linux host "
                  "and --save-scene";
    return false;
#endif
}
