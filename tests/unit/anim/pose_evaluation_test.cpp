#include "anim/pose_evaluation.h"

#include <gtest/gtest.h>

#include "anim_test_support.h"
#include "support/rig_builder.h"

using namespace animtest;

namespace {

using AnimPoseEvaluation = AnimSceneTest;

void ExpectIdentity(const Matrix4& m) {
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m.m[i], kIdentityMatrix.m[i]) << "element " << i;
}

RefBoneSetup Bone(int parent, float tx, float ty, float tz) {
    RefBoneSetup bone;
    bone.parent = parent;
    bone.translation[0] = tx;
    bone.translation[1] = ty;
    bone.translation[2] = tz;
    return bone;
}

TEST_F(AnimPoseEvaluation, SceneWithoutBonesKeepsHostPositionsAndNormals) {
    for (int v = 0; v < 3; ++v) RefSetVertexNormal(scene_, RefAddVertex(scene_, v == 1, v == 2, 0), 1, 0, 0);
    RefSetVertexWeights(scene_, 1, {{0, 2.0f}});  // names a bone that is not there
    RefAddFace(scene_, RefAddGroup(scene_, "g"), {0, 1, 2});
    RefAddAnimation(scene_, "a", 30, 0, 1);
    RefSetTrack(scene_, 0, 0, {{0, 5, 5, 5}}, {}, {});
    EXPECT_FALSE(AllocBonePoses(&pose_, Host()));
    Prepare();
    EvaluatePose(&pose_, Host(), Animation(0), 0.5f);
    ExpectVectorEq(Posed(1), 1, 0, 0);
    ExpectVectorEq(Posed(2), 0, 1, 0);
    for (int v = 0; v < 3; ++v) ExpectVectorEq(PosedNormal(v), 1, 0, 0);  // not the face's (0, 0, 1)
}

TEST_F(AnimPoseEvaluation, RestPoseGivesHostPositionsTimesTheWeightSum) {
    // Rest transforms that rotate, scale unevenly and translate, so that a
    // wrong bind matrix or inverse would show.
    RefBoneSetup root = Bone(-1, 1, 2, 3);
    root.rotation[0] = 0.25881905f;  // 30 degrees about x
    root.rotation[3] = 0.96592583f;
    root.scale[0] = 2;
    RefBoneSetup child = Bone(0, 0, 4, 0);
    child.rotation[2] = 0.38268343f;  // 45 degrees about z
    child.rotation[3] = 0.92387953f;
    child.scale[2] = 3;
    RefAddBone(scene_, root);
    RefAddBone(scene_, child);
    RefSetVertexWeights(scene_, RefAddVertex(scene_, 2, -1, 4), {{0, 0.25f}, {1, 0.75f}});
    RefSetVertexWeights(scene_, RefAddVertex(scene_, -3, 6, 1), {{1, 0.5f}});
    RefSetVertexWeights(scene_, RefAddVertex(scene_, 1, 1, -2), {{0, 1.0f}, {1, 1.0f}});
    Prepare();
    EvaluatePose(&pose_, Host(), nullptr, 0);
    ExpectVectorNear(Posed(0), 2, -1, 4);
    ExpectVectorNear(Posed(1), -1.5f, 3, 0.5f);  // half, measured from the origin
    ExpectVectorNear(Posed(2), 2, 2, -4);        // twice

    // The generated large rig reproduces its mesh at rest as well.
    Use(BuildLargeRig({}));
    Prepare();
    EvaluatePose(&pose_, Host(), nullptr, 0);
    for (int v = 0; v < pose_.posedVertices.count; ++v) {
        const Vector3 host = HostPosition(scene_, v);
        ASSERT_NEAR(Posed(v).x, host.x, 1e-4f) << v;
        ASSERT_NEAR(Posed(v).y, host.y, 1e-4f) << v;
        ASSERT_NEAR(Posed(v).z, host.z, 1e-4f) << v;
    }
}

TEST_F(AnimPoseEvaluation, KeysActInTheRestFrame) {
    // Rest: at (5, 0, 0), a quarter turn about z, scale (2, 1, 1). A position
    // key (1, 0, 0) is scaled to (2, 0, 0) and turned to (0, 2, 0) before the
    // rest translation: the vertex at the bone's origin goes to (5, 2, 0).
    RefBoneSetup bone = Bone(-1, 5, 0, 0);
    bone.rotation[2] = 0.70710677f;
    bone.rotation[3] = 0.70710677f;
    bone.scale[0] = 2;
    RefAddBone(scene_, bone);
    RefSetVertexWeights(scene_, RefAddVertex(scene_, 5, 0, 0), {{0, 1.0f}});
    RefAddAnimation(scene_, "a", 30, 0, 1);
    RefSetTrack(scene_, 0, 0, {{0, 1, 0, 0}}, {}, {});
    Prepare();
    EvaluatePose(&pose_, Host(), Animation(0), 0);
    ExpectVectorNear(Posed(0), 5, 2, 0);
}

TEST_F(AnimPoseEvaluation, WeightsWithoutAUsableBoneAreIgnored) {
    Use(BuildArmRig());
    const int none = RefAddVertex(scene_, 7, 8, 9);
    RefSetVertexWeights(scene_, RefAddVertex(scene_, -7, 8, 9), {{-1, 1.0f}, {-5, 0.5f}});
    RefSetVertexWeights(scene_, RefAddVertex(scene_, 7, -8, 9), {{2, 1.0f}, {1000, 1.0f}});
    const int mixed = RefAddVertex(scene_, 2, 0, 0);
    RefSetVertexWeights(scene_, mixed, {{99, 1.0f}, {kArmUpperBone, 1.0f}, {-1, 3.0f}});
    Prepare();
    // The lift turns the upper bone a quarter about the shoulder (1, 0, 0).
    EvaluatePose(&pose_, Host(), Animation(kArmLift), 0);
    ExpectVectorEq(Posed(none), 7, 8, 9);
    ExpectVectorEq(Posed(none + 1), -7, 8, 9);
    ExpectVectorEq(Posed(none + 2), 7, -8, 9);
    // Only the upper bone's weight counts: (1, 0) from the shoulder -> (0, 1).
    ExpectVectorNear(Posed(mixed), 1, 1, 0);
}

TEST_F(AnimPoseEvaluation, ParentRules) {
    RefAddBone(scene_, Bone(1, 0, 2, 0));   // 0: its parent comes later
    RefAddBone(scene_, Bone(-1, 10, 0, 0));  // 1: a root
    RefAddBone(scene_, Bone(2, 5, 0, 0));   // 2: its own parent
    RefAddBone(scene_, Bone(4, 0, 5, 0));   // 3: a parent beyond the bones
    RefSetVertexWeights(scene_, RefAddVertex(scene_, 4, 4, 4), {{2, 1.0f}});
    RefSetVertexWeights(scene_, RefAddVertex(scene_, -4, 4, 4), {{3, 1.0f}});
    RefAddAnimation(scene_, "a", 30, 0, 1);
    RefSetTrack(scene_, 0, 0, {{0, 0, 0, 1}}, {}, {});
    RefSetTrack(scene_, 0, 2, {{0, 3, 0, 0}}, {{0, 0, 0, 1, 0}}, {});
    RefSetTrack(scene_, 0, 3, {}, {}, {{0, 2, 2, 2}});
    Prepare();
    // Bone 0's worlds are its locals: bone 1's (10, 0, 0) never reaches it.
    EXPECT_EQ(pose_.bonePoses.items[0].bindWorld.m[3], 0.0f);
    EXPECT_EQ(pose_.bonePoses.items[0].bindWorld.m[7], 2.0f);
    EvaluatePose(&pose_, Host(), Animation(0), 0);
    EXPECT_EQ(pose_.bonePoses.items[0].poseWorld.m[3], 0.0f);
    EXPECT_EQ(pose_.bonePoses.items[0].poseWorld.m[11], 1.0f);
    for (int b = 2; b <= 3; ++b) {
        ExpectIdentity(pose_.bonePoses.items[b].bindWorld);
        ExpectIdentity(pose_.bonePoses.items[b].inverseBindWorld);
        ExpectIdentity(pose_.bonePoses.items[b].poseWorld);
    }
    ExpectVectorEq(Posed(0), 4, 4, 4);
    ExpectVectorEq(Posed(1), -4, 4, 4);
}

TEST_F(AnimPoseEvaluation, SingularBindGivesIdentityInverse) {
    RefBoneSetup flat = Bone(-1, 1, 2, 3);
    flat.scale[1] = 0;
    RefAddBone(scene_, flat);
    RefAddVertex(scene_, 1, 1, 1);
    Prepare();
    ExpectIdentity(pose_.bonePoses.items[0].inverseBindWorld);
}

// The arm of rig_builder.h: shoulder at (1, 0, 0), elbow at (3, 0, 0). A
// turn by a about +z takes an offset (x, y) from its pivot to
// (x cos a - y sin a, x sin a + y cos a); a quarter turn gives (-y, x).
class AnimArmPoses : public AnimSceneTest {
protected:
    void SetUp() override {
        AnimSceneTest::SetUp();
        Use(BuildArmRig());
        Prepare();
    }
    void Pose(int animation, float t) { EvaluatePose(&pose_, Host(), Animation(animation), t); }
};

TEST_F(AnimArmPoses, BendAtItsKeysAndBetween) {
    Pose(kArmBend, 0);  // the identity key: rest
    ExpectVectorNear(Posed(kArmHandSideVertex), 5, 1, 0);
    // t = 0.25: halfway to the key, 45 degrees (c = s = 0.70710678).
    Pose(kArmBend, 0.25f);
    ExpectVectorNear(Posed(kArmUpperVertex), 2, 0, 0);
    // Hand: (2, 0) -> (2c, 2s); plus the elbow.
    ExpectVectorNear(Posed(kArmHandVertex), 4.41421356f, 1.41421356f, 0);
    // Hand side: (2, 1) -> (2c - s, 2s + c) = (0.70710678, 2.12132034).
    ExpectVectorNear(Posed(kArmHandSideVertex), 3.70710678f, 2.12132034f, 0);
    // Blend: (4, 0) / 2 on the upper bone + (3 + c, s) / 2 on the forearm.
    ExpectVectorNear(Posed(kArmBlendVertex), 3.85355339f, 0.35355339f, 0);
    // t = 0.5, the quarter turn key, and after it (clamped to the last key).
    for (float t : {0.5f, 0.9f}) {
        Pose(kArmBend, t);
        ExpectVectorNear(Posed(kArmHandVertex), 3, 2, 0);         // (2, 0) -> (0, 2)
        ExpectVectorNear(Posed(kArmHandSideVertex), 2, 2, 0);     // (2, 1) -> (-1, 2)
        ExpectVectorNear(Posed(kArmBlendVertex), 3.5f, 0.5f, 0);  // (4, 0)/2 + (3, 1)/2
    }
    // The arm stays in the z = 0 plane with its faces towards +z.
    for (int v = 0; v < 4; ++v) ExpectVectorNear(PosedNormal(v), 0, 0, 1);
}

TEST_F(AnimArmPoses, LiftCarriesTheForearmWithItsParent) {
    // The upper bone turns a quarter about the shoulder; the forearm keeps
    // its rest offset in the turned frame. Offsets from the shoulder:
    Pose(kArmLift, 0.4f);
    ExpectVectorNear(Posed(kArmUpperVertex), 1, 1, 0);     // (1, 0) -> (0, 1)
    ExpectVectorNear(Posed(kArmHandVertex), 1, 4, 0);      // (4, 0) -> (0, 4)
    ExpectVectorNear(Posed(kArmHandSideVertex), 0, 4, 0);  // (4, 1) -> (-1, 4)
    ExpectVectorNear(Posed(kArmBlendVertex), 1, 3, 0);     // (3, 0) -> (0, 3) on both bones
}

TEST_F(AnimArmPoses, ReachAppliesTranslationThenRotationThenScale) {
    // Forearm at t = 0.5: the offset from the elbow is scaled by (2, 1, 1),
    // turned a quarter, moved by the key (0.5, 0, 0), by the rest (2, 0, 0)
    // and by the shoulder (1, 0, 0).
    Pose(kArmReach, 0.5f);
    // (2, 0) -> (4, 0) -> (0, 4) -> (0.5, 4) -> (2.5, 4) -> (3.5, 4).
    ExpectVectorNear(Posed(kArmHandVertex), 3.5f, 4, 0);
    // (2, 1) -> (4, 1) -> (-1, 4) -> (-0.5, 4) -> (1.5, 4) -> (2.5, 4).
    ExpectVectorNear(Posed(kArmHandSideVertex), 2.5f, 4, 0);
    // Forearm half: (1, 0) -> (2, 0) -> (0, 2) -> (3.5, 2); with (4, 0): (3.75, 1).
    ExpectVectorNear(Posed(kArmBlendVertex), 3.75f, 1, 0);
    // At the position keys, (0, 0, 0) at 0 and (1, 0, 0) at 1.
    Pose(kArmReach, 0);
    ExpectVectorNear(Posed(kArmHandVertex), 3, 4, 0);
    Pose(kArmReach, 1);
    ExpectVectorNear(Posed(kArmHandVertex), 4, 4, 0);
    // No animation afterwards: the rest pose again.
    EvaluatePose(&pose_, Host(), nullptr, 1);
    ExpectVectorNear(Posed(kArmHandVertex), 5, 0, 0);
}

}  // namespace
