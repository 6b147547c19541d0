// The box every frame of one export is encoded into, from the bounds of
// everything the frame writers will encode.
#pragma once

#include "geom/vector3.h"

struct ExportState;

// The scale of one axis of the frame box: 1 / (255 / size), both divisions
// in single precision and in that order; a flat axis keeps 1 (a size that is
// not a number counts as not flat).
float AxisScale(float size);

struct FrameBox {
    Vector3 scale;      // per axis: 1 / (255 / size), or 1 on a flat axis
    Vector3 translate;  // the bounds' min
};

// The box shared by all frames: from the bounds of every sampled frame when
// the scene has animations, the host positions otherwise. The animated
// bounds evaluate only the frames' positions, with the frames split over
// threads (export/frame_workers.h) unless a coordinate is not a number.
FrameBox ComputeFrameBox(ExportState* state);
