#include "export/frame_workers.h"

#include <cstdint>

#include "anim/frame_sampling.h"
#include "anim/pose_evaluation.h"
#include "anim/pose_state.h"
#include "export/export_state.h"
#include "export/frame_plan.h"
#include "util/work_slices.h"

namespace {

// Below this many posed vertices per slice one thread does the work:
// starting a thread and laying out its pose would cost more than it saves.
constexpr long long kLeastVerticesPerSlice = 1 << 16;

// A pose evaluates without writing into the scene when both its layouts were
// built (a scene without bones has no skin layout and is never moved).
bool PosesApart(const PoseState& pose, const HostScene* scene) {
    return pose.meshTopology.scene == scene && (pose.bonePoses.count == 0 || pose.skinLayout.scene == scene);
}

struct SliceRun {
    ExportState* state;
    const FrameAt* frames;
    FrameSliceWork work;
    void* context;
};

// The last slice poses through the export's own pose; every other through a
// pose of its own, which must not write into the scene either.
bool RunSlice(const SliceRange& range, void* context) {
    const SliceRun& run = *static_cast<const SliceRun*>(context);
    if (range.index + 1 == range.count) {
        return run.work(&run.state->pose, run.frames, range, run.context);
    }
    PoseState pose{};
    const bool done = StartPose(&pose, run.state->scene) && PosesApart(pose, run.state->scene) &&
                      run.work(&pose, run.frames, range, run.context);
    ReleasePose(&pose);
    return done;
}

// Per slice, written by that slice alone: whether it ran, its bounds, and
// whether every coordinate was a number.
struct SliceBounds {
    HostScene* scene;
    bool ran[kMostWorkSlices];
    ModelBounds bounds[kMostWorkSlices];
    bool numbers[kMostWorkSlices];
};

bool BoundSlice(PoseState* pose, const FrameAt* frames, const SliceRange& range, void* context) {
    SliceBounds& parts = *static_cast<SliceBounds*>(context);
    ModelBounds& bounds = parts.bounds[range.index];
    StartBounds(&bounds);
    bool numbers = true;
    for (int frame = range.first; frame < range.end; ++frame) {
        EvaluatePosePositions(pose, parts.scene, frames[frame].animation, frames[frame].time);
        numbers = IncludePosedFrame(*pose, &bounds) && numbers;
    }
    parts.numbers[range.index] = numbers;
    parts.ran[range.index] = true;
    return true;
}

int SliceCount(const ExportState& state, int count) {
    if (!PosesApart(state.pose, state.scene)) {
        return 1;
    }
    const int workers = state.frameWorkers;
    if (workers > 0) {
        return workers < count ? workers : count;
    }
    return GainfulSlices(count, state.pose.posedVertices.count, kLeastVerticesPerSlice);
}

}  // namespace

bool RunFrameSlices(ExportState* state, const FrameAt* frames, int count, FrameSliceWork work, void* context) {
    SliceRun run{state, frames, work, context};
    return RunWorkSlices(count, SliceCount(*state, count), RunSlice, &run);
}

bool SlicedAnimatedBounds(ExportState* state, ModelBounds* bounds) {
    const std::int64_t total = ExportFrameTotal(state->scene);
    if (state->pose.posedVertices.count <= 0 || total <= 0 || total > INT32_MAX) {
        return false;
    }
    const int count = static_cast<int>(total);
    const OwnedArray<FrameAt> frames = ListFrames(state->scene, count);
    SliceBounds parts{};
    parts.scene = state->scene;
    const bool done = frames != nullptr && RunFrameSlices(state, frames.get(), count, BoundSlice, &parts);
    for (int s = 0; done && s < kMostWorkSlices; ++s) {
        if (parts.ran[s] && !parts.numbers[s]) {
            return false;
        }
    }
    if (!done) {
        return false;
    }
    StartBounds(bounds);
    for (int s = 0; s < kMostWorkSlices; ++s) {
        if (parts.ran[s]) {
            JoinBounds(parts.bounds[s], bounds);
        }
    }
    FinishBounds(bounds);
    return true;
}
