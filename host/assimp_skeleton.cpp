#include "host/assimp_builder.h"

#include <set>
#include <string>

namespace assimp_rig {

void WalkNodes(Builder& b, const aiNode* node, int parent) {
    Node entry;
    entry.node = node;
    entry.parent = parent;
    entry.restLocal = ToDouble(node->mTransformation, b.options.scale);
    entry.restGlobal = parent < 0 ? entry.restLocal : b.nodes[static_cast<std::size_t>(parent)].restGlobal * entry.restLocal;
    const int index = static_cast<int>(b.nodes.size());
    b.nodes.push_back(entry);
    b.nodeByName.emplace(node->mName.C_Str(), index);
    for (unsigned i = 0; i < node->mNumChildren; ++i) {
        WalkNodes(b, node->mChildren[i], index);
    }
}

bool FindInstances(Builder& b, std::string* why) {
    std::set<unsigned> skinnedSeen;
    for (std::size_t n = 0; n < b.nodes.size(); ++n) {
        const aiNode* node = b.nodes[n].node;
        for (unsigned i = 0; i < node->mNumMeshes; ++i) {
            const unsigned m = node->mMeshes[i];
            if (m >= b.scene->mNumMeshes) {
                continue;
            }
            const aiMesh* mesh = b.scene->mMeshes[m];
            if (mesh->mNumBones == 0) {
                b.instances.push_back({m, static_cast<int>(n), false});
                b.nodes[n].needed = true;
                continue;
            }
            if (!skinnedSeen.insert(m).second) {
                continue;
            }
            b.instances.push_back({m, static_cast<int>(n), true});
            for (unsigned k = 0; k < mesh->mNumBones; ++k) {
                const aiBone* bone = mesh->mBones[k];
                auto found = b.nodeByName.find(bone->mName.C_Str());
                if (found == b.nodeByName.end()) {
                    b.orphans.emplace_back(bone->mName.C_Str(), &bone->mOffsetMatrix);
                    continue;
                }
                Node& target = b.nodes[static_cast<std::size_t>(found->second)];
                target.needed = true;
                if (target.offset == nullptr) {
                    target.offset = &bone->mOffsetMatrix;
                }
            }
        }
    }
    if (b.instances.empty()) {
        *why = "no mesh is placed in the scene";
        return false;
    }
    return true;
}

void MakeBones(Builder& b) {
    for (std::size_t n = b.nodes.size(); n-- > 0;) {
        if (b.nodes[n].needed && b.nodes[n].parent >= 0) {
            b.nodes[static_cast<std::size_t>(b.nodes[n].parent)].needed = true;
        }
    }
    for (std::size_t n = 0; n < b.nodes.size(); ++n) {
        Node& node = b.nodes[n];
        if (!node.needed) {
            continue;
        }
        node.bone = static_cast<int>(b.bones.size());
        Bone bone;
        bone.node = static_cast<int>(n);
        bone.name = node.node->mName.C_Str();
        bone.offset = node.offset;
        bone.bindWorld = node.offset != nullptr ? Inverted(ToDouble(*node.offset, b.options.scale)) : node.restGlobal;
        Trs trs;
        Matrix even;
        if (node.offset != nullptr && !EvenTransform(bone.bindWorld, &trs) && EvenPart(bone.bindWorld, &even)) {
            bone.correction = Inverted(bone.bindWorld) * even;
            bone.corrected = true;
            bone.bindWorld = even;
        }
        // A corrected bone's pose is not its node's transform: its node's
        // children hang from the nearest ancestor whose pose is.
        bone.parentNode = node.parent;
        while (bone.parentNode >= 0 &&
               b.bones[static_cast<std::size_t>(b.nodes[static_cast<std::size_t>(bone.parentNode)].bone)].corrected) {
            bone.parentNode = b.nodes[static_cast<std::size_t>(bone.parentNode)].parent;
        }
        bone.parent = bone.parentNode >= 0 ? b.nodes[static_cast<std::size_t>(bone.parentNode)].bone : -1;
        bone.bindLocal = bone.parent < 0 ? bone.bindWorld
                                         : Inverted(b.bones[static_cast<std::size_t>(bone.parent)].bindWorld) * bone.bindWorld;
        bone.keysCarryOver = EvenTransform(bone.bindLocal, &bone.rest) && !bone.corrected && bone.parentNode == node.parent;
        b.boneByName.emplace(bone.name, node.bone);
        b.bones.push_back(bone);
    }
    for (const auto& orphan : b.orphans) {
        if (b.boneByName.count(orphan.first) != 0) {
            continue;
        }
        Bone bone;
        bone.name = orphan.first;
        bone.offset = orphan.second;
        bone.bindWorld = Inverted(ToDouble(*orphan.second, b.options.scale));
        bone.bindLocal = bone.bindWorld;
        bone.rest = Decompose(bone.bindLocal);
        b.boneByName.emplace(bone.name, static_cast<int>(b.bones.size()));
        b.bones.push_back(bone);
    }
}

SceneBone BoneRecord(const Bone& bone) {
    SceneBone out;
    out.name = bone.name;
    out.setup.parent = bone.parent;
    const Trs& rest = bone.rest;
    const double t[3] = {rest.t.x, rest.t.y, rest.t.z};
    const double q[4] = {rest.r.x, rest.r.y, rest.r.z, rest.r.w};
    const double s[3] = {rest.s.x, rest.s.y, rest.s.z};
    for (int i = 0; i < 3; ++i) {
        out.setup.translation[i] = static_cast<float>(t[i]);
        out.setup.scale[i] = static_cast<float>(s[i]);
    }
    for (int i = 0; i < 4; ++i) {
        out.setup.rotation[i] = static_cast<float>(q[i]);
    }
    ToFloats(bone.bindLocal, out.setup.local);
    ToFloats(bone.bindWorld, out.setup.global);
    return out;
}

}  // namespace assimp_rig
