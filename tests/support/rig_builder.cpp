#include "support/rig_builder.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

RefBoneSetup TranslatedBone(int parent, float x, float y, float z, float globalX, float globalY, float globalZ) {
    RefBoneSetup bone;
    bone.parent = parent;
    bone.translation[0] = x;
    bone.translation[1] = y;
    bone.translation[2] = z;
    bone.local[3] = x;
    bone.local[7] = y;
    bone.local[11] = z;
    bone.global[3] = globalX;
    bone.global[7] = globalY;
    bone.global[11] = globalZ;
    return bone;
}

HostRotationKey RotationKey(float time, const float q[4]) { return {time, q[0], q[1], q[2], q[3]}; }

constexpr float kTwoPi = 6.2831853f;

}  // namespace

RefScene* BuildArmRig() {
    RefScene* scene = RefSceneCreate();
    RefAddBone(scene, TranslatedBone(-1, 1, 0, 0, 1, 0, 0));
    RefAddBone(scene, TranslatedBone(kArmUpperBone, 2, 0, 0, 3, 0, 0));

    const float rest[4][3] = {{2, 0, 0}, {4, 0, 0}, {5, 0, 0}, {5, 1, 0}};
    for (const auto& p : rest) {
        const int v = RefAddVertex(scene, p[0], p[1], p[2]);
        RefSetVertexNormal(scene, v, 0, 0, 1);
    }
    RefSetVertexWeights(scene, kArmUpperVertex, {{kArmUpperBone, 1.0f}});
    RefSetVertexWeights(scene, kArmBlendVertex, {{kArmUpperBone, 0.5f}, {kArmForeBone, 0.5f}});
    RefSetVertexWeights(scene, kArmHandVertex, {{kArmForeBone, 1.0f}});
    RefSetVertexWeights(scene, kArmHandSideVertex, {{kArmForeBone, 1.0f}});

    const int group = RefAddGroup(scene, "arm");
    RefAddFace(scene, group, {kArmUpperVertex, kArmBlendVertex, kArmHandSideVertex});
    RefAddFace(scene, group, {kArmBlendVertex, kArmHandVertex, kArmHandSideVertex});

    const float identity[4] = {0, 0, 0, 1};
    RefAddAnimation(scene, "bend", 30, 0, 1);
    RefSetTrack(scene, kArmBend, kArmForeBone, {},
                {RotationKey(0, identity), RotationKey(0.5f, kQuarterTurnZ)}, {});
    RefAddAnimation(scene, "lift", 30, 0, 1);
    RefSetTrack(scene, kArmLift, kArmUpperBone, {}, {RotationKey(0, kQuarterTurnZ)}, {});
    RefAddAnimation(scene, "reach", 30, 0, 1);
    RefSetTrack(scene, kArmReach, kArmForeBone, {{0, 0, 0, 0}, {1, 1, 0, 0}}, {RotationKey(0, kQuarterTurnZ)},
                {{0, 2, 1, 1}});
    return scene;
}

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
        RefBoneSetup bone = TranslatedBone(b - 1, 0, y, 0, 0, global, 0);
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
