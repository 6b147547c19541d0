// The normals an export encodes are in the model's axes: a scene without
// bones keeps the host's normals, turned like the positions; a boned scene
// takes them from the posed mesh.
#include <gtest/gtest.h>

#include "anim/pose_evaluation.h"
#include "anim/pose_state.h"
#include "scene/axis_conversion.h"
#include "host/ref_scene.h"
#include "support/rig_builder.h"

namespace {

void ExpectVector(const Vector3& v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

class ExportPosedNormals : public ::testing::Test {
protected:
    void TearDown() override {
        ReleasePose(&pose_);
        RefSceneDestroy(scene_);
    }
    RefScene* scene_ = nullptr;
    PoseState pose_{};
};

}  // namespace

TEST_F(ExportPosedNormals, BonelessNormalsAreTurnedLikeThePositions) {
    scene_ = RefSceneCreate();
    RefSetVertexNormal(scene_, RefAddVertex(scene_, 1, 2, 3), 0, 1, 0);
    RefSetVertexNormal(scene_, RefAddVertex(scene_, 0, 0, 0), 0.6f, 0, 0.8f);
    RefAddFace(scene_, RefAddGroup(scene_, "g"), {0, 1, 1});
    HostScene* host = RefSceneHost(scene_);
    ConvertSceneAxes(host, kToModelAxes);
    EXPECT_FALSE(AllocBonePoses(&pose_, host));
    ASSERT_TRUE(AllocPosedVertices(&pose_, host));
    InitBindPose(&pose_);
    EvaluatePose(&pose_, host, nullptr, 0);
    ExpectVector(pose_.posedVertices.items[0].position, 1, -3, 2);
    ExpectVector(pose_.posedVertices.items[0].normal, 0, 0, 1);
    ExpectVector(pose_.posedVertices.items[1].normal, 0.6f, -0.8f, 0);
    // The scene's own normals stay as the host gave them.
    EXPECT_EQ(host->vertices.items[0].normal[1], 1);
    EXPECT_EQ(host->vertices.items[1].normal[2], 0.8f);
}

TEST_F(ExportPosedNormals, BonedNormalsFollowThePosedMesh) {
    scene_ = BuildArmRig();
    for (int v = 0; v < 4; ++v) {
        RefSetVertexNormal(scene_, v, 1, 0, 0);  // not the mesh's normal
    }
    HostScene* host = RefSceneHost(scene_);
    ConvertSceneAxes(host, kToModelAxes);
    ASSERT_TRUE(AllocBonePoses(&pose_, host));
    ASSERT_TRUE(AllocPosedVertices(&pose_, host));
    InitBindPose(&pose_);
    EvaluatePose(&pose_, host, &host->animations.items[kArmBend], 0);
    // The arm faces the host's +z, which is the model's -y.
    for (int v = 0; v < 4; ++v) {
        ExpectVector(pose_.posedVertices.items[v].normal, 0, -1, 0);
    }
}
