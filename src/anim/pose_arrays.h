// The working arrays of pose evaluation: one BonePose per host bone and one
// PosedVertex per host vertex, built once per export and reused for every
// evaluated frame. They live in a PoseState (anim/pose_state.h). An array
// that is not allocated has count 0 and a null pointer, and every operation
// treats it as absent.
#pragma once

#include <cstdint>

#include "geom/matrix4.h"
#include "geom/quaternion.h"
#include "geom/vector3.h"
#include "host_api/host_records.h"

struct BonePose {
    Vector3 localTranslation;    // copied from the host bone
    Quaternion localRotation;    // copied from the host bone
    Vector3 localScale;          // copied from the host bone
    Matrix4 bindLocal;           // rest transform relative to the parent: T x R x S
    Matrix4 bindWorld;           // rest transform in model space
    Matrix4 inverseBindWorld;    // inverse of bindWorld (identity when singular)
    Matrix4 poseLocal;           // transform relative to the parent at the evaluated time
    Matrix4 poseWorld;           // transform in model space at the evaluated time
    std::int32_t parentIndex;    // copied from the host bone; negative: a root
};

// Posed position and normal of one host vertex.
struct PosedVertex {
    Vector3 position;
    Vector3 normal;
};

struct BonePoseArray {
    int count;
    BonePose* items;
};

struct PosedVertexArray {
    int count;
    PosedVertex* items;
};

struct PoseState;

// One zero-filled BonePose per scene bone with the bone's parent and rest
// translation, rotation and scale. False, with the array absent, when the
// scene has no bones or memory could not be had.
bool AllocBonePoses(PoseState* pose, const HostScene* scene);
// One PosedVertex per scene vertex holding the scene's position and its
// normal turned from the host's axes into the model's, (x, y, z) ->
// (x, -z, y): the scene is expected in the model's axes, where the axis
// conversion leaves vertex normals as the host gave them.
// False, with the array absent, when the scene has no vertices or memory
// could not be had.
bool AllocPosedVertices(PoseState* pose, const HostScene* scene);

// Release an array and set its count to 0, with the layouts built for it;
// harmless when it is absent.
void FreeBonePoses(PoseState* pose);
void FreePosedVertices(PoseState* pose);
