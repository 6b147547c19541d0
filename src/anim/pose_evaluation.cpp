#include "anim/pose_evaluation.h"

#include "anim/key_sampling.h"
#include "anim/pose_math.h"
#include "anim/pose_normals.h"
#include "anim/pose_state.h"

namespace {

// One pass in ascending bone order, so a parent's world transform is used as
// it stands when its child is reached: parents are expected before their
// children, and a parent later in the array still holds the identity. A bone
// that names itself or a parent beyond the array stays at the identity.
void ComposeWorld(BonePoseArray& bones, int bone, Matrix4 BonePose::*local, Matrix4 BonePose::*world) {
    BonePose& pose = bones.items[bone];
    const int parent = pose.parentIndex;
    if (parent == bone || parent >= bones.count) {
        return;
    }
    if (parent < 0) {
        pose.*world = pose.*local;
    } else {
        AffineMultiply(bones.items[parent].*world, pose.*local, &(pose.*world));
    }
}

// The weighted sum of the rest position carried by each weight's bone from
// its rest pose to its current pose. A weight whose bone index is negative or
// beyond the bone poses is ignored; a vertex left without any weight keeps
// its rest position. Weights are used as stored, not normalised.
Vector3 SkinnedPosition(const BonePoseArray& bones, const HostVertex& vertex) {
    const Vector3 rest = {vertex.position[0], vertex.position[1], vertex.position[2]};
    if (vertex.weights == nullptr || vertex.weightCount <= 0) {
        return rest;
    }
    Vector3 sum = {0, 0, 0};
    bool bound = false;
    for (int w = 0; w < vertex.weightCount; ++w) {
        const HostSkinWeight& weight = vertex.weights[w];
        if (weight.boneIndex < 0 || weight.boneIndex >= bones.count) {
            continue;
        }
        const BonePose& bone = bones.items[weight.boneIndex];
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

void InitBindPose(PoseState* state) {
    BonePoseArray& bones = state->bonePoses;
    if (bones.count == 0) {
        return;
    }
    InvalidateSkinRestPoints(state);
    for (int i = 0; i < bones.count; ++i) {
        BonePose& pose = bones.items[i];
        pose.bindWorld = kIdentityMatrix;
        pose.inverseBindWorld = kIdentityMatrix;
        Matrix4 scale;
        ScaleMatrix(pose.localScale, &scale);
        TranslationRotationMatrix(pose.localTranslation, pose.localRotation, &pose.bindLocal);
        AffineMultiply(pose.bindLocal, scale, &pose.bindLocal);
    }
    for (int i = 0; i < bones.count; ++i) {
        ComposeWorld(bones, i, &BonePose::bindLocal, &BonePose::bindWorld);
    }
    for (int i = 0; i < bones.count; ++i) {
        MatrixInverse(bones.items[i].bindWorld, &bones.items[i].inverseBindWorld);
    }
}

void EvaluatePosePositions(PoseState* state, HostScene* scene, const HostAnimation* animation, float t) {
    BonePoseArray& bones = state->bonePoses;
    PosedVertexArray& posed = state->posedVertices;
    if (scene == nullptr || bones.count == 0 || posed.count == 0) {
        return;
    }
    for (int i = 0; i < bones.count; ++i) {
        bones.items[i].poseWorld = kIdentityMatrix;
        bones.items[i].poseLocal = bones.items[i].bindLocal;
    }
    // The keys act on top of the rest transform:
    // poseLocal = bindLocal x T(position) x R(rotation) x S(scale).
    for (int i = 0; i < bones.count; ++i) {
        BonePose& pose = bones.items[i];
        Matrix4 keyed;
        TranslationRotationMatrix(SamplePosition(*state, animation, t, i), SampleRotation(*state, animation, t, i),
                                  &keyed);
        AffineMultiply(pose.poseLocal, keyed, &pose.poseLocal);
        ScaleMatrix(SampleScale(*state, animation, t, i), &keyed);
        AffineMultiply(pose.poseLocal, keyed, &pose.poseLocal);
        ComposeWorld(bones, i, &BonePose::poseLocal, &BonePose::poseWorld);
    }
    if (scene->vertices.items != nullptr && !SkinFromLayout(state, scene)) {
        const int count = scene->vertices.count < posed.count ? scene->vertices.count : posed.count;
        for (int v = 0; v < count; ++v) {
            posed.items[v].position = SkinnedPosition(bones, scene->vertices.items[v]);
        }
    }
}

void EvaluatePose(PoseState* state, HostScene* scene, const HostAnimation* animation, float t) {
    if (scene == nullptr || state->bonePoses.count == 0 || state->posedVertices.count == 0) {
        return;
    }
    EvaluatePosePositions(state, scene, animation, t);
    if (!ComputeNormalsFromTopology(state, scene)) {
        ComputeFaceNormals(state, scene);
        ComputeVertexNormals(state, scene);
    }
}
