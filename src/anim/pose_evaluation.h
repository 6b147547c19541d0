// Posing the skeleton from an animation's keys and skinning the scene's
// vertices into posedVertices.
#pragma once

#include "host_api/host_records.h"

struct PoseState;

// Computes bindLocal, bindWorld and inverseBindWorld of every bone pose from
// the rest translation, rotation and scale. StartPose runs it once after
// taking the bone poses; nothing when the bone poses are absent.
void InitBindPose(PoseState* pose);

// Poses the skeleton at time t (the rest pose when animation is null), skins
// every vertex into the posed vertices and recomputes the face normals (into
// the mesh layout, or into the scene without one) and the posed vertex
// normals. The bind pose must be set (StartPose sets it). Changes nothing
// when the scene or either working array is absent. Allocates nothing.
void EvaluatePose(PoseState* pose, HostScene* scene, const HostAnimation* animation, float t);

// The first half of EvaluatePose: the skeleton posed and the vertices skinned
// into the posed positions, the normals left as they are. Enough for the
// bounds of a frame.
void EvaluatePosePositions(PoseState* pose, HostScene* scene, const HostAnimation* animation, float t);
