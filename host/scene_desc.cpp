#include "host/scene_desc.h"

namespace {

bool Below(int index, std::size_t count) { return index >= 0 && static_cast<std::size_t>(index) < count; }

}  // namespace

bool CheckSceneDesc(const SceneDesc& desc, std::string* why) {
    for (std::size_t v = 0; v < desc.vertices.size(); ++v) {
        for (const HostSkinWeight& weight : desc.vertices[v].weights) {
            if (weight.boneIndex >= 0 && !Below(weight.boneIndex, desc.bones.size())) {
                *why = "vertex " + std::to_string(v) + " is weighted to a bone that does not exist";
                return false;
            }
        }
    }
    for (const SceneGroup& group : desc.groups) {
        for (const SceneFace& face : group.faces) {
            if (face.vertices.size() < 3 || (!face.texCoords.empty() && face.texCoords.size() != face.vertices.size())) {
                *why = "group \"" + group.name + "\" has a face with fewer than three corners or a partial uv list";
                return false;
            }
            for (int v : face.vertices) {
                if (!Below(v, desc.vertices.size())) {
                    *why = "group \"" + group.name + "\" names a vertex that does not exist";
                    return false;
                }
            }
            for (int c : face.texCoords) {
                if (!Below(c, desc.texCoords.size())) {
                    *why = "group \"" + group.name + "\" names a texture coordinate that does not exist";
                    return false;
                }
            }
            if (face.material != -1 && !Below(face.material, desc.materials.size())) {
                *why = "group \"" + group.name + "\" names a material that does not exist";
                return false;
            }
        }
    }
    for (std::size_t b = 0; b < desc.bones.size(); ++b) {
        const int parent = desc.bones[b].setup.parent;
        if (parent >= static_cast<int>(b)) {
            *why = "bone " + std::to_string(b) + " does not come after its parent";
            return false;
        }
    }
    for (const SceneAnimation& animation : desc.animations) {
        for (const SceneTrack& track : animation.tracks) {
            if (!Below(track.bone, desc.bones.size())) {
                *why = "animation \"" + animation.name + "\" has a track for a bone that does not exist";
                return false;
            }
        }
    }
    return true;
}

RefScene* BuildRefScene(const SceneDesc& desc) {
    RefScene* scene = RefSceneCreate();
    for (const SceneVertex& vertex : desc.vertices) {
        const int v = RefAddVertex(scene, vertex.position[0], vertex.position[1], vertex.position[2]);
        RefSetVertexNormal(scene, v, vertex.normal[0], vertex.normal[1], vertex.normal[2]);
        if (!vertex.weights.empty()) {
            RefSetVertexWeights(scene, v, vertex.weights);
        }
    }
    for (const HostTexCoord& coord : desc.texCoords) {
        RefAddTexCoord(scene, coord.u, coord.v);
    }
    for (const SceneMaterial& material : desc.materials) {
        RefAddMaterial(scene, material.name, material.texture);
    }
    for (const SceneGroup& group : desc.groups) {
        const int g = RefAddGroup(scene, group.name);
        for (const SceneFace& face : group.faces) {
            RefAddFace(scene, g, face.vertices, face.texCoords, face.material);
        }
    }
    for (const SceneBone& bone : desc.bones) {
        RefAddBone(scene, bone.setup);
    }
    for (const SceneAnimation& animation : desc.animations) {
        const int a = RefAddAnimation(scene, animation.name, animation.frameRate, animation.start, animation.end);
        for (const SceneTrack& track : animation.tracks) {
            RefSetTrack(scene, a, track.bone, track.positions, track.rotations, track.scales);
        }
    }
    return scene;
}
