// The bounding box of everything an export writes: every sampled frame of
// every animation, or the host vertex positions of a scene without
// animations.
#pragma once

#include "geom/vector3.h"
#include "host_api/host_records.h"

struct PoseState;

struct ModelBounds {
    Vector3 size;    // max - min per axis
    Vector3 min;     // smallest coordinate per axis
    Vector3 max;     // largest coordinate per axis
    Vector3 centre;  // (min + max) x 0.5 per axis
};

// Bounds of the posed vertices over every frame of every animation, in the
// order, at the times and by the evaluation the frame writer uses, from a
// started pose (StartPose); leaves the posed vertices in the last frame.
// All zeros when the scene, the posed vertices or the animation list is
// absent.
// When given, `onFrame` is called after each frame's evaluation with the
// frame's position in that order (0 upward across all animations).
void AnimatedBounds(PoseState* pose, HostScene* scene, ModelBounds* bounds,
                    void (*onFrame)(int frame, void* context) = nullptr, void* context = nullptr);

// Bounds of the host vertex positions. All zeros when the scene or its vertex
// list is absent; a present but empty list leaves min at the largest float
// and max at its negation.
void StaticBounds(const HostScene* scene, ModelBounds* bounds);
