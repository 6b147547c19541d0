#include "anim/pose_evaluation.h"

#include "anim/key_sampling.h"
#include "anim/mesh_topology.h"
#include "anim/skin_layout.h"
#include "anim/pose_arrays.h"
#include "anim/pose_math.h"
#include "anim/pose_normals.h"

namespace {

// One pass in ascending bone order, so a parent's world transform is used as
// it stands when its child is reached: parents are expected before their
// children, and a parent later in the array still holds the identity. A bone
// that names itself or a parent beyond the array stays at the identity.
void ComposeWorld(int bone, Matrix4 BonePose::*local, Matrix4 BonePose::*world) {
    BonePose& pose = bonePoses.items[bone];
    const int parent = pose.parentIndex;
    if (parent == bone || parent >= bonePoses.count) {
        return;
    }
    if (parent < 0) {
        pose.*world = pose.*local;
    } else {
        AffineMultiply(bonePoses.items[parent].*world, pose.*local, &(pose.*world));
    }
}

// The weighted sum of the rest position carried by each weight's bone from
// its rest pose to its current pose. A weight whose bone index is negative or
// beyond the bone poses is ignored; a vertex left without any weight keeps
// its rest position. Weights are used as stored, not normalised.
Vector3 SkinnedPosition(const HostVertex& vertex) {
    const Vector3 rest = {vertex.position[0], vertex.position[1], vertex.position[2]};
    if (vertex.weights == nullptr || vertex.weightCount <= 0) {
        return rest;
    }
    Vector3 sum = {0, 0, 0};
    bool bound = false;
    for (int w = 0; w < vertex.weightCount; ++w) {
        const HostSkinWeight& weight = vertex.weights[w];
        if (weight.boneIndex < 0 || weight.boneIndex >= bonePoses.count) {
            continue;
        }
        const BonePose& bone = bonePoses.items[weight.boneIndex];
        Vector3 moved;
        TransformPoint(rest, bone.inverseBindWorld, &moved);
        TransformPoint(moved, bone.poseWorld, &moved);
        sum.x += weight.weight * moved.x;
        sum.y += weight.weight * moved.y;
        sum.z += weight.weight * moved.z;
        bound = true;
    }
    return bound ? sum : rest;
}

}  // namespace

void InitBindPose() {
    if (bonePoses.count == 0) {
        return;
    }
    InvalidateSkinRestPoints();
    for (int i = 0; i < bonePoses.count; ++i) {
        BonePose& pose = bonePoses.items[i];
        pose.bindWorld = kIdentityMatrix;
        pose.inverseBindWorld = kIdentityMatrix;
        Matrix4 scale;
        ScaleMatrix(pose.localScale, &scale);
        TranslationRotationMatrix(pose.localTranslation, pose.localRotation, &pose.bindLocal);
        AffineMultiply(pose.bindLocal, scale, &pose.bindLocal);
    }
    for (int i = 0; i < bonePoses.count; ++i) {
        ComposeWorld(i, &BonePose::bindLocal, &BonePose::bindWorld);
    }
    for (int i = 0; i < bonePoses.count; ++i) {
        MatrixInverse(bonePoses.items[i].bindWorld, &bonePoses.items[i].inverseBindWorld);
    }
}

void EvaluatePose(HostScene* scene, const HostAnimation* animation, float t) {
    if (scene == nullptr || bonePoses.count == 0 || posedVertices.count == 0) {
        return;
    }
    for (int i = 0; i < bonePoses.count; ++i) {
        bonePoses.items[i].poseWorld = kIdentityMatrix;
        bonePoses.items[i].poseLocal = bonePoses.items[i].bindLocal;
    }
    // The keys act on top of the rest transform:
    // poseLocal = bindLocal x T(position) x R(rotation) x S(scale).
    for (int i = 0; i < bonePoses.count; ++i) {
        BonePose& pose = bonePoses.items[i];
        Matrix4 keyed;
        TranslationRotationMatrix(SamplePosition(animation, t, i), SampleRotation(animation, t, i), &keyed);
        AffineMultiply(pose.poseLocal, keyed, &pose.poseLocal);
        ScaleMatrix(SampleScale(animation, t, i), &keyed);
        AffineMultiply(pose.poseLocal, keyed, &pose.poseLocal);
        ComposeWorld(i, &BonePose::poseLocal, &BonePose::poseWorld);
    }
    if (scene->vertices.items != nullptr && !SkinFromLayout(scene)) {
        const int count = scene->vertices.count < posedVertices.count ? scene->vertices.count : posedVertices.count;
        for (int v = 0; v < count; ++v) {
            posedVertices.items[v].position = SkinnedPosition(scene->vertices.items[v]);
        }
    }
    if (!ComputeNormalsFromTopology(scene)) {
        ComputeFaceNormals(scene);
        ComputeVertexNormals(scene);
    }
}
