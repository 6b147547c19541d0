// The frames of an animated export split over threads (util/work_slices.h):
// each slice of frames is posed through a pose of its own, and the export's
// own pose takes the last slice, so it ends in the last frame as a single
// pass would. Every frame is evaluated exactly as a single pass evaluates
// it, so the bytes do not depend on the split.
#pragma once

#include "anim/frame_sampling.h"
#include "anim/model_bounds.h"
#include "host_api/host_records.h"
#include "util/work_slices.h"

struct ExportState;
struct PoseState;

// What one slice does with its pose: frames [range.first, range.end) of the
// list. Answers false when it failed.
using FrameSliceWork = bool (*)(PoseState* pose, const FrameAt* frames, const SliceRange& range, void* context);

// Runs `work` over the `count` frames of `frames` in slices: as many as the
// export's frameWorkers asks for, or when that is 0 one per processor for
// an export large enough to gain from it; one alone when the export's pose
// would write into the scene (a scene without layouts). False when a slice
// failed or its pose could not be laid out.
bool RunFrameSlices(ExportState* state, const FrameAt* frames, int count, FrameSliceWork work, void* context);

// The bounds of every frame, as AnimatedBounds takes them, with the frames
// split over slices and only their positions evaluated. False, with the
// bounds untouched, when memory ran out or a coordinate was not a number;
// the caller then takes them with AnimatedBounds.
bool SlicedAnimatedBounds(ExportState* state, ModelBounds* bounds);
