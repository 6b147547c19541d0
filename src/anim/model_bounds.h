// The bounding box of everything an export writes: every sampled frame of
// every animation, or the host vertex positions of a scene without
// animations.
#pragma once

#include <cstdint>

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
void AnimatedBounds(PoseState* pose, HostScene* scene, ModelBounds* bounds);

// Bounds of `count` points taken in order, exactly as AnimatedBounds takes the
// posed positions frame after frame: the points of every frame kept in
// evaluation order give the same bounds.
void PointBounds(const Vector3* points, std::int64_t count, ModelBounds* bounds);

// Bounds of the host vertex positions. All zeros when the scene or its vertex
// list is absent; a present but empty list leaves min at the largest float
// and max at its negation.
void StaticBounds(const HostScene* scene, ModelBounds* bounds);
