// Posing the skeleton from an animation's keys and skinning the scene's
// vertices into posedVertices.
#pragma once

#include "plugin/host_records.h"

// Computes bindLocal, bindWorld and inverseBindWorld of every bone pose from
// the rest translation, rotation and scale. Run once after AllocBonePoses and
// before the first EvaluatePose of a pass over frames; nothing when the bone
// poses are absent.
void InitBindPose();

// Poses the skeleton at time t (the rest pose when animation is null), skins
// every vertex into posedVertices and recomputes the face normals (into the
// scene) and the posed vertex normals. Changes nothing when the scene or
// either working array is absent. Allocates nothing.
void EvaluatePose(HostScene* scene, const HostAnimation* animation, float t);
