// The per-export layouts (skin weights with their rest points, mesh corners
// with their faces) must pose every frame bit for bit as the host records
// do: the same scenes are evaluated with and without them and compared.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "anim/frame_sampling.h"
#include "anim/mesh_topology.h"
#include "anim/pose_evaluation.h"
#include "anim/pose_normals.h"
#include "anim/pose_state.h"
#include "anim/skin_layout.h"
#include "host/ref_scene.h"
#include "support/rig_builder.h"

namespace {

// Everything one evaluation leaves behind: posed positions and normals, then
// every face normal of the scene, as raw bits.
using PoseBits = std::vector<std::uint32_t>;

void AppendBits(PoseBits* bits, const float* values, int count) {
    for (int i = 0; i < count; ++i) {
        std::uint32_t word;
        std::memcpy(&word, &values[i], sizeof(word));
        bits->push_back(word);
    }
}

PoseBits Snapshot(PoseState& pose_, const HostScene* scene) {
    // With a layout the scene's face normals are brought up to date here.
    StoreFaceNormals(&pose_);
    PoseBits bits;
    for (int v = 0; v < pose_.posedVertices.count; ++v) {
        AppendBits(&bits, &pose_.posedVertices.items[v].position.x, 3);
        AppendBits(&bits, &pose_.posedVertices.items[v].normal.x, 3);
    }
    for (int m = 0; m < scene->meshes.count; ++m) {
        for (int f = 0; f < scene->meshes.items[m].faceCount; ++f) {
            AppendBits(&bits, scene->meshes.items[m].faces[f].normal, 3);
        }
    }
    return bits;
}

// Every frame of every animation (or the rest pose without animations) of a
// freshly built scene, with the layouts or without.
std::vector<PoseBits> EvaluateAll(const std::function<RefScene*()>& build, bool layouts) {
    RefScene* ref = build();
    HostScene* scene = RefSceneHost(ref);
    std::vector<PoseBits> frames;
    PoseState pose_{};
    AllocBonePoses(&pose_, scene);
    AllocPosedVertices(&pose_, scene);
    if (layouts) {
        EXPECT_TRUE(BuildSkinLayout(&pose_, scene));
        EXPECT_TRUE(BuildMeshTopology(&pose_, scene));
    }
    InitBindPose(&pose_);
    for (int a = 0; a < scene->animations.count; ++a) {
        HostAnimation* animation = &scene->animations.items[a];
        const float step = AnimationSampleStep(animation);
        for (int i = 0; i < AnimationFrameCount(animation); ++i) {
            EvaluatePose(&pose_, scene, animation, AnimationSampleTime(step, i));
            frames.push_back(Snapshot(pose_, scene));
        }
    }
    // A second pass starts again from the rest pose, as the frame writer does.
    InitBindPose(&pose_);
    EvaluatePose(&pose_, scene, nullptr, 0);
    frames.push_back(Snapshot(pose_, scene));
    FreeBonePoses(&pose_);
    FreePosedVertices(&pose_);
    EXPECT_EQ(pose_.skinLayout.scene, nullptr) << "freeing the pose arrays releases the layouts";
    EXPECT_EQ(pose_.meshTopology.scene, nullptr);
    RefSceneDestroy(ref);
    return frames;
}

void ExpectSamePoses(const std::function<RefScene*()>& build) {
    const std::vector<PoseBits> fromRecords = EvaluateAll(build, false);
    const std::vector<PoseBits> fromLayouts = EvaluateAll(build, true);
    ASSERT_EQ(fromRecords.size(), fromLayouts.size());
    ASSERT_GT(fromRecords.size(), 1u);
    for (std::size_t f = 0; f < fromRecords.size(); ++f) {
        ASSERT_EQ(fromRecords[f], fromLayouts[f]) << "frame " << f;
    }
}

TEST(PoseLayouts, RigsPoseAsFromTheHostRecords) {
    ExpectSamePoses([] {
        LargeRigSetup setup;
        setup.vertices = 192;
        setup.bones = 7;
        setup.animations = 2;
        setup.end = 0.3f;
        return BuildLargeRig(setup);
    });
    ExpectSamePoses(BuildArmRig);
}

// Weights that name no bone pose, vertices without weights or faces, weights
// that do not sum to 1, a quad, a face with a corner outside the vertices, a
// face of two corners and a face whose corners coincide.
TEST(PoseLayouts, OddWeightsAndFacesPoseAsFromTheHostRecords) {
    ExpectSamePoses([] {
        RefScene* scene = BuildArmRig();
        const int loose = RefAddVertex(scene, 7, 1, 2);
        const int unbound = RefAddVertex(scene, -1, 3, 0.5f);
        const int heavy = RefAddVertex(scene, 2, 2, 2);
        RefAddVertex(scene, 9, 9, 9);  // no faces: its normal stays zero
        RefSetVertexWeights(scene, unbound, {{-1, 1.0f}, {99, 0.5f}});
        RefSetVertexWeights(scene, heavy, {{kArmUpperBone, 0.9f}, {5, 0.3f}, {kArmForeBone, 0.6f}});
        RefAddFace(scene, 0, {loose, unbound, heavy, kArmHandVertex});
        RefAddFace(scene, 0, {loose, 40, heavy});
        RefAddFace(scene, 0, {loose, heavy});
        RefAddFace(scene, 0, {heavy, heavy, heavy});
        const int second = RefAddGroup(scene, "second");
        RefAddFace(scene, second, {kArmBlendVertex, loose, unbound});
        return scene;
    });
}

// The face normals of the last frame reach the scene when they are stored
// from the layout, as they do frame by frame without it; an export leaves
// them there.
TEST(PoseLayouts, TheLastFaceNormalsReachTheScene) {
    auto lastFaceNormals = [](bool layouts) {
        RefScene* ref = BuildArmRig();
        HostScene* scene = RefSceneHost(ref);
        PoseState pose_{};
        AllocBonePoses(&pose_, scene);
        AllocPosedVertices(&pose_, scene);
        if (layouts) {
            BuildSkinLayout(&pose_, scene);
            BuildMeshTopology(&pose_, scene);
        }
        InitBindPose(&pose_);
        HostAnimation* bend = &scene->animations.items[kArmBend];
        EvaluatePose(&pose_, scene, bend, 0.4f);
        StoreFaceNormals(&pose_);
        ReleasePose(&pose_);
        std::vector<float> normals;
        for (int f = 0; f < scene->meshes.items[0].faceCount; ++f) {
            const float* n = scene->meshes.items[0].faces[f].normal;
            normals.insert(normals.end(), n, n + 3);
        }
        RefSceneDestroy(ref);
        return normals;
    };
    const std::vector<float> expected = lastFaceNormals(false);
    ASSERT_EQ(expected.size(), 6u);
    EXPECT_NE(expected[2], 0.0f);  // the faces start without normals; evaluation gives them one
    EXPECT_EQ(lastFaceNormals(true), expected);
}

// A layout is used only for the scene and pose arrays it was built for.
TEST(PoseLayouts, LayoutsAreNotUsedForAnotherScene) {
    RefScene* built = BuildArmRig();
    RefScene* other = BuildArmRig();
    PoseState pose_{};
    AllocBonePoses(&pose_, RefSceneHost(built));
    AllocPosedVertices(&pose_, RefSceneHost(built));
    ASSERT_TRUE(BuildSkinLayout(&pose_, RefSceneHost(built)));
    ASSERT_TRUE(BuildMeshTopology(&pose_, RefSceneHost(built)));
    InitBindPose(&pose_);
    EXPECT_FALSE(SkinFromLayout(&pose_, RefSceneHost(other)));
    EXPECT_FALSE(ComputeNormalsFromTopology(&pose_, RefSceneHost(other)));
    EXPECT_TRUE(SkinFromLayout(&pose_, RefSceneHost(built)));
    EXPECT_TRUE(ComputeNormalsFromTopology(&pose_, RefSceneHost(built)));
    // New pose arrays drop the layouts.
    AllocPosedVertices(&pose_, RefSceneHost(built));
    EXPECT_FALSE(SkinFromLayout(&pose_, RefSceneHost(built)));
    EXPECT_FALSE(ComputeNormalsFromTopology(&pose_, RefSceneHost(built)));
    ReleasePose(&pose_);
    RefSceneDestroy(built);
    RefSceneDestroy(other);
}

}  // namespace
