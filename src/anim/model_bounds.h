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

// AnimatedBounds in parts, for frames split into runs evaluated apart: each
// run starts its own bounds, includes its frames' posed positions in order,
// and the runs' bounds are joined in run order before the bounds are
// finished. The result is AnimatedBounds's whenever no coordinate was not a
// number (each lane keeps the smallest value, the later one of equal values,
// as one pass does); IncludePosedFrame answers false for a frame with such a
// coordinate, after which only a single pass gives AnimatedBounds's result.
void StartBounds(ModelBounds* bounds);
bool IncludePosedFrame(const PoseState& pose, ModelBounds* bounds);
void JoinBounds(const ModelBounds& later, ModelBounds* bounds);
void FinishBounds(ModelBounds* bounds);

// Bounds of the host vertex positions. All zeros when the scene or its vertex
// list is absent; a present but empty list leaves min at the largest float
// and max at its negation.
void StaticBounds(const HostScene* scene, ModelBounds* bounds);
