#include "host/large_rig.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr float kTwoPi = 6.2831853f;

}  // namespace

RefScene* BuildLargeRig(const LargeRigSetup& setup) {
    RefScene* scene = RefSceneCreate();
    const int n = setup.vertices;
    const int bones = setup.bones > 0 ? setup.bones : 1;
    const int ring = n >= 64 ? 32 : (n >= 8 ? 4 : 1);
    const int rows = (n + ring - 1) / ring;
    const float rowHeight = 0.25f;
    const float height = static_cast<float>(rows) * rowHeight;
    const float boneLength = height / static_cast<float>(bones);

    float global = 0;
    for (int b = 0; b < bones; ++b) {
        const float y = b == 0 ? 0 : boneLength;
        global += y;
        RefBoneSetup bone = RefBoneAlongY(b - 1, y, global);
        // A small twist about the chain's own axis: the rest transforms are
        // not mere translations, yet the chain stays straight along +y.
        const float half = 0.05f * static_cast<float>(b % 3);
        bone.rotation[1] = std::sin(half);
        bone.rotation[3] = std::cos(half);
        RefAddBone(scene, bone);
    }

    for (int i = 0; i < n; ++i) {
        const float angle = kTwoPi * static_cast<float>(i % ring) / static_cast<float>(ring);
        const float y = static_cast<float>(i / ring) * rowHeight;
        const int v = RefAddVertex(scene, std::cos(angle), y, std::sin(angle));
        RefSetVertexNormal(scene, v, std::cos(angle), 0, std::sin(angle));
        const float along = y / boneLength;
        int first = static_cast<int>(along);
        if (first > bones - 1) first = bones - 1;
        const int second = first + 1 < bones ? first + 1 : first;
        const float share = along - static_cast<float>(first);
        const float toSecond = share < 0 ? 0 : (share > 1 ? 1 : share);
        RefSetVertexWeights(scene, v, {{first, 1 - toSecond}, {second, toSecond}});
    }

    // Two triangles per vertex on a tube closed end to end, every index in range.
    const int group = RefAddGroup(scene, "body");
    for (int i = 0; i < n; ++i) {
        const int right = (i + 1) % n;
        const int up = (i + ring) % n;
        const int upRight = (i + ring + 1) % n;
        RefAddFace(scene, group, {i, up, right});
        RefAddFace(scene, group, {right, up, upRight});
    }

    const int keys = setup.keysPerChannel > 0 ? setup.keysPerChannel : 1;
    for (int a = 0; a < setup.animations; ++a) {
        const int animation = RefAddAnimation(scene, "anim" + std::to_string(a), setup.frameRate, 0, setup.end);
        for (int b = 0; b < bones; ++b) {
            std::vector<HostVectorKey> positions;
            std::vector<HostRotationKey> rotations;
            std::vector<HostVectorKey> scales;
            for (int k = 0; k < keys; ++k) {
                const float time = keys > 1 ? setup.end * static_cast<float>(k) / static_cast<float>(keys - 1) : 0;
                const float phase = static_cast<float>(k + a + b);
                const float half = 0.15f * std::sin(phase);
                positions.push_back({time, 0.02f * std::cos(phase), 0, 0.02f * std::sin(phase)});
                rotations.push_back({time, std::sin(half), 0, 0, std::cos(half)});
                scales.push_back({time, 1 + 0.05f * std::sin(phase), 1, 1 + 0.05f * std::cos(phase)});
            }
            RefSetTrack(scene, animation, b, positions, rotations, scales);
        }
    }
    return scene;
}

RefScene* BuildBenchmarkScene(int vertices, int bones, int framesPerAnimation) {
    LargeRigSetup setup;
    setup.vertices = vertices;
    setup.bones = bones;
    setup.animations = 4;
    setup.frameRate = 30;
    // Half a frame short of the last whole frame: ceil(end x rate) is the count.
    setup.end = (static_cast<float>(framesPerAnimation) - 0.5f) / 30.0f;
    RefScene* scene = BuildLargeRig(setup);
    if (scene != nullptr) {
        RefAddMaterial(scene, "skin", "textures/skin.pcx");
    }
    return scene;
}
