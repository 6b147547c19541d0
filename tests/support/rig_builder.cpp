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
