// Every frame of an animated export evaluated once, into the kept frames,
// with the frames split over threads: each thread poses the scene through a
// pose of its own, and the export's own pose takes the last frames, so it
// ends in the last frame as a single pass would. Every frame is evaluated
// exactly as that pass evaluates it, so the bytes do not depend on the split.
#pragma once

#include "anim/model_bounds.h"

struct ExportState;

// Most threads the frames are split over.
constexpr int kMostFrameWorkers = 8;

// Keeps every frame (export/kept_frames.h) and answers their bounds, as
// AnimatedBounds does over the same frames. The frames go to `workers`
// threads, the export's own included (0: one per processor for an export
// large enough to gain from it). False, with nothing kept and the bounds
// untouched, when the frames do not fit the budget; the caller then takes the
// bounds frame by frame.
bool KeepEveryFrame(ExportState* state, int workers, ModelBounds* bounds);
