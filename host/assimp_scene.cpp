#include "host/assimp_scene.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <filesystem>
#include <string>

#include "host/assimp_builder.h"

using namespace assimp_rig;

bool BuildAssimpScene(const std::string& path, const AssimpSceneOptions& options, SceneDesc* desc, std::string* why) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    std::string reason;
    if (scene == nullptr) {
        reason = importer.GetErrorString();
    } else if (scene->mRootNode == nullptr || scene->mNumMeshes == 0) {
        reason = "the file holds no mesh";
    }
    Builder b;
    if (reason.empty()) {
        b.scene = scene;
        b.options = options;
        b.sourceFolder = std::filesystem::absolute(path).parent_path();
        b.sourceStem = std::filesystem::path(path).stem().string();
        b.stepChannels = ReadGltfStepChannels(path);
        WalkNodes(b, scene->mRootNode, -1);
        if (FindInstances(b, &reason)) {
            MakeBones(b);
            *desc = SceneDesc{};
            for (const Instance& instance : b.instances) {
                AddInstance(b, instance, desc);
            }
            for (const Bone& bone : b.bones) {
                desc->bones.push_back(BoneRecord(bone));
            }
            AddAnimations(b, desc, &reason);
        }
    }
    if (!reason.empty()) {
        *why = path + ": " + reason;
        return false;
    }
    return true;
}
