// The normals an export encodes are in the model's axes: a scene without
// bones keeps the host's normals, turned like the positions; a boned scene
// takes them from the posed mesh.
#include <gtest/gtest.h>

#include "anim/pose_arrays.h"
#include "anim/pose_evaluation.h"
#include "geom/axis_conversion.h"
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
        FreeBonePoses();
        FreePosedVertices();
        RefSceneDestroy(scene_);
    }
    RefScene* scene_ = nullptr;
};

}  // namespace

TEST_F(ExportPosedNormals, BonelessNormalsAreTurnedLikeThePositions) {
    scene_ = RefSceneCreate();
    RefSetVertexNormal(scene_, RefAddVertex(scene_, 1, 2, 3), 0, 1, 0);
    RefSetVertexNormal(scene_, RefAddVertex(scene_, 0, 0, 0), 0.6f, 0, 0.8f);
    RefAddFace(scene_, RefAddGroup(scene_, "g"), {0, 1, 1});
    HostScene* host = RefSceneHost(scene_);
    ConvertSceneAxes(host, 0);
    EXPECT_FALSE(AllocBonePoses(host));
    ASSERT_TRUE(AllocPosedVertices(host));
    InitBindPose();
    EvaluatePose(host, nullptr, 0);
    ExpectVector(posedVertices.items[0].position, 1, -3, 2);
    ExpectVector(posedVertices.items[0].normal, 0, 0, 1);
    ExpectVector(posedVertices.items[1].normal, 0.6f, -0.8f, 0);
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
    ConvertSceneAxes(host, 0);
    ASSERT_TRUE(AllocBonePoses(host));
    ASSERT_TRUE(AllocPosedVertices(host));
    InitBindPose();
    EvaluatePose(host, &host->animations.items[kArmBend], 0);
    // The arm faces the host's +z, which is the model's -y.
    for (int v = 0; v < 4; ++v) {
        ExpectVector(posedVertices.items[v].normal, 0, -1, 0);
    }
}
