#include "anim/pose_evaluation.h"

#include <gtest/gtest.h>

#include <cmath>

#include "anim_test_support.h"
#include "support/rig_builder.h"

using namespace animtest;

namespace {

using AnimPoseEvaluation = AnimSceneTest;

void ExpectMatrixEq(const Matrix4& actual, const Matrix4& expected) {
    for (int i = 0; i < 16; ++i) EXPECT_EQ(actual.m[i], expected.m[i]) << "element " << i;
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
    RefAddVertex(scene_, 0, 0, 0);
    RefAddVertex(scene_, 1, 0, 0);
    RefAddVertex(scene_, 0, 1, 0);
    for (int v = 0; v < 3; ++v) RefSetVertexNormal(scene_, v, 1, 0, 0);  // not the face's normal
    RefSetVertexWeights(scene_, 1, {{0, 2.0f}});                          // names a bone that is not there
    RefAddFace(scene_, RefAddGroup(scene_, "g"), {0, 1, 2});
    RefAddAnimation(scene_, "a", 30, 0, 1);
    RefSetTrack(scene_, 0, 0, {{0, 5, 5, 5}}, {}, {});

    EXPECT_FALSE(AllocBonePoses(Host()));
    ASSERT_TRUE(AllocPosedVertices(Host()));
    InitBindPose();
    EvaluatePose(Host(), Animation(0), 0.5f);
    for (int v = 0; v < 3; ++v) {
        ExpectVectorEq(Posed(v), HostPosition(scene_, v).x, HostPosition(scene_, v).y, HostPosition(scene_, v).z);
        ExpectVectorEq(PosedNormal(v), 1, 0, 0);
    }
}

TEST_F(AnimPoseEvaluation, RestPoseGivesHostPositionsTimesTheWeightSum) {
    // A chain whose rest transforms rotate, scale unevenly and translate, so
    // a wrong bind matrix or inverse would show.
    RefBoneSetup root = Bone(-1, 1, 2, 3);
    root.rotation[0] = 0.25881905f;  // 30 degrees about x
    root.rotation[3] = 0.96592583f;
    root.scale[0] = 2;
    root.scale[1] = 0.5f;
    RefBoneSetup child = Bone(0, 0, 4, 0);
    child.rotation[2] = 0.38268343f;  // 45 degrees about z
    child.rotation[3] = 0.92387953f;
    child.scale[2] = 3;
    RefAddBone(scene_, root);
    RefAddBone(scene_, child);
    const int whole = RefAddVertex(scene_, 2, -1, 4);
    RefSetVertexWeights(scene_, whole, {{0, 0.25f}, {1, 0.75f}});
    const int half = RefAddVertex(scene_, -3, 6, 1);
    RefSetVertexWeights(scene_, half, {{1, 0.5f}});
    const int twice = RefAddVertex(scene_, 1, 1, -2);
    RefSetVertexWeights(scene_, twice, {{0, 1.0f}, {1, 1.0f}});
    Prepare();

    EvaluatePose(Host(), nullptr, 0);
    ExpectVectorNear(Posed(whole), 2, -1, 4);
    // Half of (-3, 6, 1), measured from the model origin.
    ExpectVectorNear(Posed(half), -1.5f, 3, 0.5f);
    ExpectVectorNear(Posed(twice), 2, 2, -4);
}

TEST_F(AnimPoseEvaluation, LargeRigAtRestReproducesTheHostMesh) {
    Use(BuildLargeRig({}));
    Prepare();
    EvaluatePose(Host(), nullptr, 0);
    for (int v = 0; v < posedVertices.count; ++v) {
        const Vector3 host = HostPosition(scene_, v);
        ASSERT_NEAR(Posed(v).x, host.x, 1e-4f) << v;
        ASSERT_NEAR(Posed(v).y, host.y, 1e-4f) << v;
        ASSERT_NEAR(Posed(v).z, host.z, 1e-4f) << v;
    }
}

TEST_F(AnimPoseEvaluation, VerticesWithoutUsableWeightsKeepTheirPosition) {
    Use(BuildArmRig());
    const int none = RefAddVertex(scene_, 7, 8, 9);
    const int negative = RefAddVertex(scene_, -7, 8, 9);
    RefSetVertexWeights(scene_, negative, {{-1, 1.0f}, {-5, 0.5f}});
    const int beyond = RefAddVertex(scene_, 7, -8, 9);
    RefSetVertexWeights(scene_, beyond, {{2, 1.0f}, {1000, 1.0f}});
    const int mixed = RefAddVertex(scene_, 2, 0, 0);
    RefSetVertexWeights(scene_, mixed, {{99, 1.0f}, {kArmUpperBone, 1.0f}, {-1, 3.0f}});
    Prepare();

    // The lift moves every bone: the upper bone turns a quarter about the
    // shoulder (1, 0, 0).
    EvaluatePose(Host(), Animation(kArmLift), 0);
    ExpectVectorEq(Posed(none), 7, 8, 9);
    ExpectVectorEq(Posed(negative), -7, 8, 9);
    ExpectVectorEq(Posed(beyond), 7, -8, 9);
    // Only the upper bone counts: (2, 0, 0) is (1, 0, 0) from the shoulder,
    // turned to (0, 1, 0), so it lands at (1, 1, 0).
    ExpectVectorNear(Posed(mixed), 1, 1, 0);
}

TEST_F(AnimPoseEvaluation, SelfAndOutOfRangeParentsGiveIdentityWorlds) {
    RefAddBone(scene_, Bone(-1, 1, 0, 0));
    RefAddBone(scene_, Bone(1, 5, 0, 0));  // its own parent
    RefAddBone(scene_, Bone(3, 0, 5, 0));  // a parent beyond the three bones
    const int onSelf = RefAddVertex(scene_, 4, 4, 4);
    RefSetVertexWeights(scene_, onSelf, {{1, 1.0f}});
    const int onLost = RefAddVertex(scene_, -4, 4, 4);
    RefSetVertexWeights(scene_, onLost, {{2, 1.0f}});
    RefAddAnimation(scene_, "spin", 30, 0, 1);
    RefSetTrack(scene_, 0, 1, {{0, 3, 0, 0}}, {{0, 0, 0, 1, 0}}, {});
    RefSetTrack(scene_, 0, 2, {{0, 0, 3, 0}}, {}, {{0, 2, 2, 2}});
    Prepare();

    for (int b = 1; b <= 2; ++b) {
        ExpectMatrixEq(bonePoses.items[b].bindWorld, kIdentityMatrix);
        ExpectMatrixEq(bonePoses.items[b].inverseBindWorld, kIdentityMatrix);
    }
    EvaluatePose(Host(), Animation(0), 0);
    ExpectMatrixEq(bonePoses.items[1].poseWorld, kIdentityMatrix);
    ExpectMatrixEq(bonePoses.items[2].poseWorld, kIdentityMatrix);
    ExpectVectorEq(Posed(onSelf), 4, 4, 4);
    ExpectVectorEq(Posed(onLost), -4, 4, 4);
}

TEST_F(AnimPoseEvaluation, ParentLaterInTheArrayStillHoldsTheIdentity) {
    RefAddBone(scene_, Bone(1, 0, 2, 0));   // child, listed first
    RefAddBone(scene_, Bone(-1, 10, 0, 0));  // its parent
    RefAddVertex(scene_, 0, 0, 0);
    RefAddAnimation(scene_, "shift", 30, 0, 1);
    RefSetTrack(scene_, 0, 0, {{0, 0, 0, 1}}, {}, {});
    Prepare();

    // The child's worlds are its locals: the parent's (10, 0, 0) never reaches it.
    const Matrix4& bind = bonePoses.items[0].bindWorld;
    EXPECT_EQ(bind.m[3], 0.0f);
    EXPECT_EQ(bind.m[7], 2.0f);
    EXPECT_EQ(bind.m[11], 0.0f);
    EvaluatePose(Host(), Animation(0), 0);
    const Matrix4& pose = bonePoses.items[0].poseWorld;
    EXPECT_EQ(pose.m[3], 0.0f);
    EXPECT_EQ(pose.m[7], 2.0f);
    EXPECT_EQ(pose.m[11], 1.0f);
    EXPECT_EQ(bonePoses.items[1].poseWorld.m[3], 10.0f);
}

TEST_F(AnimPoseEvaluation, SingularBindGivesIdentityInverse) {
    RefBoneSetup flat = Bone(-1, 1, 2, 3);
    flat.scale[1] = 0;
    RefAddBone(scene_, flat);
    RefAddVertex(scene_, 1, 1, 1);
    Prepare();
    ExpectMatrixEq(bonePoses.items[0].inverseBindWorld, kIdentityMatrix);
    EXPECT_EQ(bonePoses.items[0].bindWorld.m[5], 0.0f);
}

// The arm (see rig_builder.h): shoulder at (1, 0, 0), elbow at (3, 0, 0).
// A turn of a degrees about +z takes an offset (x, y) from its pivot to
// (x cos a - y sin a, x sin a + y cos a).
class AnimArmPoses : public AnimSceneTest {
protected:
    void SetUp() override {
        AnimSceneTest::SetUp();
        Use(BuildArmRig());
        Prepare();
    }
    void Pose(int animation, float t) { EvaluatePose(Host(), Animation(animation), t); }
};

TEST_F(AnimArmPoses, BendAtItsKeysAndBetween) {
    // t = 0: the identity key, the rest pose.
    Pose(kArmBend, 0);
    ExpectVectorNear(Posed(kArmUpperVertex), 2, 0, 0);
    ExpectVectorNear(Posed(kArmBlendVertex), 4, 0, 0);
    ExpectVectorNear(Posed(kArmHandVertex), 5, 0, 0);
    ExpectVectorNear(Posed(kArmHandSideVertex), 5, 1, 0);

    // t = 0.25: halfway to the quarter turn, the forearm turns 45 degrees
    // (c = s = 0.70710678) about the elbow.
    Pose(kArmBend, 0.25f);
    ExpectVectorNear(Posed(kArmUpperVertex), 2, 0, 0);
    // Hand: offset (2, 0) -> (2c, 2s) = (1.41421356, 1.41421356); + elbow.
    ExpectVectorNear(Posed(kArmHandVertex), 4.41421356f, 1.41421356f, 0);
    // Hand side: offset (2, 1) -> (2c - s, 2s + c) = (0.70710678, 2.12132034).
    ExpectVectorNear(Posed(kArmHandSideVertex), 3.70710678f, 2.12132034f, 0);
    // Blend: half of (4, 0) on the upper bone plus half of the forearm's
    // (3 + c, s): (2 + 1.85355339, 0.35355339).
    ExpectVectorNear(Posed(kArmBlendVertex), 3.85355339f, 0.35355339f, 0);

    // t = 0.5, the quarter turn key: offsets (x, y) -> (-y, x).
    Pose(kArmBend, 0.5f);
    ExpectVectorNear(Posed(kArmUpperVertex), 2, 0, 0);
    ExpectVectorNear(Posed(kArmHandVertex), 3, 2, 0);       // (2, 0) -> (0, 2)
    ExpectVectorNear(Posed(kArmHandSideVertex), 2, 2, 0);   // (2, 1) -> (-1, 2)
    ExpectVectorNear(Posed(kArmBlendVertex), 3.5f, 0.5f, 0);  // (4, 0)/2 + (3, 1)/2

    // After the last key the quarter turn holds.
    Pose(kArmBend, 0.9f);
    ExpectVectorNear(Posed(kArmHandSideVertex), 2, 2, 0);
    // The arm stays in the z = 0 plane with its faces towards +z.
    for (int v = 0; v < 4; ++v) ExpectVectorNear(PosedNormal(v), 0, 0, 1);
}

TEST_F(AnimArmPoses, LiftCarriesTheForearmWithItsParent) {
    // The upper bone turns a quarter about the shoulder (1, 0, 0); the
    // forearm keeps its rest offset (2, 0, 0) in the turned frame, so the
    // elbow goes to (1, 2, 0).
    Pose(kArmLift, 0.4f);
    ExpectVectorNear(Posed(kArmUpperVertex), 1, 1, 0);      // (1, 0) from the shoulder -> (0, 1)
    ExpectVectorNear(Posed(kArmHandVertex), 1, 4, 0);       // (4, 0) from the shoulder -> (0, 4)
    ExpectVectorNear(Posed(kArmHandSideVertex), 0, 4, 0);   // (4, 1) -> (-1, 4)
    ExpectVectorNear(Posed(kArmBlendVertex), 1, 3, 0);      // both halves: (3, 0) -> (0, 3)
}

TEST_F(AnimArmPoses, ReachAppliesTranslationThenRotationThenScale) {
    // Forearm at t = 0.5: position key (0.5, 0, 0), the quarter turn and the
    // scale (2, 1, 1), applied to the offset from the elbow in the order
    // scale, turn, key translation, rest translation (2, 0, 0), shoulder
    // (1, 0, 0).
    Pose(kArmReach, 0.5f);
    // Hand: (2, 0) -> (4, 0) -> (0, 4) -> (0.5, 4) -> (2.5, 4) -> (3.5, 4).
    ExpectVectorNear(Posed(kArmHandVertex), 3.5f, 4, 0);
    // Hand side: (2, 1) -> (4, 1) -> (-1, 4) -> (-0.5, 4) -> (1.5, 4) -> (2.5, 4).
    ExpectVectorNear(Posed(kArmHandSideVertex), 2.5f, 4, 0);
    // Blend: forearm (1, 0) -> (2, 0) -> (0, 2) -> (0.5, 2) -> (3.5, 2);
    // averaged with (4, 0): (3.75, 1).
    ExpectVectorNear(Posed(kArmBlendVertex), 3.75f, 1, 0);
    ExpectVectorNear(Posed(kArmUpperVertex), 2, 0, 0);

    // At the position keys themselves: (0, 0, 0) at 0 and (1, 0, 0) at 1.
    Pose(kArmReach, 0);
    ExpectVectorNear(Posed(kArmHandVertex), 3, 4, 0);
    Pose(kArmReach, 1);
    ExpectVectorNear(Posed(kArmHandVertex), 4, 4, 0);
}

TEST_F(AnimArmPoses, EachEvaluationStartsAfresh) {
    Pose(kArmLift, 0);
    Pose(kArmBend, 0.5f);
    ExpectVectorNear(Posed(kArmHandVertex), 3, 2, 0);
    // No animation: the rest pose, whatever came before.
    EvaluatePose(Host(), nullptr, 0.5f);
    ExpectVectorNear(Posed(kArmHandSideVertex), 5, 1, 0);
    // A second bind pass recomputes the same matrices.
    const Matrix4 before = bonePoses.items[kArmForeBone].inverseBindWorld;
    InitBindPose();
    ExpectMatrixEq(bonePoses.items[kArmForeBone].inverseBindWorld, before);
}

}  // namespace
