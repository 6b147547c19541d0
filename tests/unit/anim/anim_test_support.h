// Helpers shared by the animation tests: a fixture that owns a reference
// scene and releases the working arrays, and vector comparisons.
#pragma once

#include <gtest/gtest.h>

#include "anim/pose_evaluation.h"
#include "anim/pose_state.h"
#include "host/ref_scene.h"

namespace animtest {

inline void ExpectVectorNear(const Vector3& actual, float x, float y, float z, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, x, tolerance);
    EXPECT_NEAR(actual.y, y, tolerance);
    EXPECT_NEAR(actual.z, z, tolerance);
}

inline void ExpectVectorEq(const Vector3& actual, float x, float y, float z) {
    EXPECT_EQ(actual.x, x);
    EXPECT_EQ(actual.y, y);
    EXPECT_EQ(actual.z, z);
}

inline Vector3 HostPosition(RefScene* scene, int vertex) {
    const float* p = RefSceneHost(scene)->vertices.items[vertex].position;
    return {p[0], p[1], p[2]};
}

inline HostFace& Face(RefScene* scene, int mesh, int face) {
    return RefSceneHost(scene)->meshes.items[mesh].faces[face];
}

// Owns one scene per test and leaves no working arrays behind.
class AnimSceneTest : public ::testing::Test {
protected:
    void SetUp() override { scene_ = RefSceneCreate(); }
    void TearDown() override {
        ReleasePose(&pose_);
        RefSceneDestroy(scene_);
    }
    // Swaps in a scene built elsewhere (for example by the rig builder).
    void Use(RefScene* scene) {
        RefSceneDestroy(scene_);
        scene_ = scene;
    }
    HostScene* Host() { return RefSceneHost(scene_); }
    HostAnimation* Animation(int index) { return &Host()->animations.items[index]; }
    // Both working arrays, then the bind pose.
    void Prepare() {
        AllocBonePoses(&pose_, Host());
        ASSERT_TRUE(AllocPosedVertices(&pose_, Host()));
        InitBindPose(&pose_);
    }
    const Vector3& Posed(int vertex) { return pose_.posedVertices.items[vertex].position; }
    const Vector3& PosedNormal(int vertex) { return pose_.posedVertices.items[vertex].normal; }

    RefScene* scene_ = nullptr;
    PoseState pose_{};
};

}  // namespace animtest
