#include "anim/pose_arrays.h"

#include <new>

#include "anim/pose_evaluation.h"
#include "anim/pose_state.h"
#include "geom/model_axes.h"

bool AllocBonePoses(PoseState* pose, const HostScene* scene) {
    if (scene == nullptr || scene->bones.items == nullptr || scene->bones.count <= 0) {
        return false;
    }
    FreeBonePoses(pose);
    const int count = scene->bones.count;
    BonePose* poses = new (std::nothrow) BonePose[static_cast<std::size_t>(count)]();
    if (poses == nullptr) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const HostBone& bone = scene->bones.items[i];
        BonePose& pose = poses[i];
        pose.parentIndex = bone.parentIndex;
        pose.localTranslation = {bone.localTranslation[0], bone.localTranslation[1], bone.localTranslation[2]};
        pose.localRotation = {bone.localRotation[0], bone.localRotation[1], bone.localRotation[2],
                              bone.localRotation[3]};
        pose.localScale = {bone.localScale[0], bone.localScale[1], bone.localScale[2]};
    }
    pose->bonePoses = {count, poses};
    return true;
}

bool AllocPosedVertices(PoseState* pose, const HostScene* scene) {
    if (scene == nullptr || scene->vertices.items == nullptr || scene->vertices.count <= 0) {
        return false;
    }
    FreePosedVertices(pose);
    const int count = scene->vertices.count;
    PosedVertex* vertices = new (std::nothrow) PosedVertex[static_cast<std::size_t>(count)]();
    if (vertices == nullptr) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const HostVertex& host = scene->vertices.items[i];
        vertices[i].position = {host.position[0], host.position[1], host.position[2]};
        // The axis conversion turns positions but leaves vertex normals in the
        // host's axes; a scene without bones keeps these normals in every
        // frame, so they are turned here like the positions were.
        HostToModelPoint({host.normal[0], host.normal[1], host.normal[2]}, &vertices[i].normal);
    }
    pose->posedVertices = {count, vertices};
    return true;
}

void FreeBonePoses(PoseState* pose) {
    // The skin layout was built for these bones.
    FreeSkinLayout(pose);
    delete[] pose->bonePoses.items;
    pose->bonePoses = {0, nullptr};
}

void FreePosedVertices(PoseState* pose) {
    // The layouts were built for these vertices.
    FreeMeshTopology(pose);
    FreeSkinLayout(pose);
    delete[] pose->posedVertices.items;
    pose->posedVertices = {0, nullptr};
}

bool StartPose(PoseState* pose, const HostScene* scene) {
    ReleasePose(pose);
    AllocBonePoses(pose, scene);
    const bool posed = AllocPosedVertices(pose, scene);
    InitBindPose(pose);
    BuildSkinLayout(pose, scene);
    BuildMeshTopology(pose, scene);
    return posed;
}

void ReleasePose(PoseState* pose) {
    FreeBonePoses(pose);
    FreePosedVertices(pose);
}
