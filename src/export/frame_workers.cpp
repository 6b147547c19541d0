#include "export/frame_workers.h"

#include <new>

#include "anim/frame_sampling.h"
#include "anim/pose_evaluation.h"
#include "anim/pose_state.h"
#include "export/export_state.h"
#include "export/frame_encoding.h"
#include "export/kept_frames.h"
#include "platform/platform.h"

namespace {

// Below this many posed vertices over all frames one thread does the work:
// starting a thread and laying out its pose would cost more than it saves.
constexpr std::int64_t kLeastVerticesPerWorker = 1 << 16;

// What evaluating one frame needs, taken on the export's thread: the frame
// count comes from the host, which only that thread calls.
struct FrameTime {
    const HostAnimation* animation;
    float time;
};

struct FrameSlice {
    ExportState* state;
    PoseState* pose;
    const FrameTime* times;
    int first;  // frames [first, end)
    int end;
    bool kept;  // every frame of the slice kept
};

void EvaluateSlice(void* context) {
    FrameSlice* slice = static_cast<FrameSlice*>(context);
    slice->kept = true;
    for (int frame = slice->first; frame < slice->end; ++frame) {
        const FrameTime& at = slice->times[frame];
        EvaluatePose(slice->pose, slice->state->scene, at.animation, at.time);
        slice->kept = KeepPosedFrame(&slice->state->keptFrames, frame, slice->pose->posedVertices) && slice->kept;
    }
}

// The animation and time of every frame in the order they are written.
FrameTime* FrameTimes(HostScene* scene, int frames) {
    FrameTime* times = new (std::nothrow) FrameTime[static_cast<std::size_t>(frames)];
    if (times == nullptr) {
        return nullptr;
    }
    int frame = 0;
    for (int a = 0; a < ListCount(scene->animations); ++a) {
        HostAnimation* animation = &scene->animations.items[a];
        const int count = AnimationFrameCount(animation);
        const float step = AnimationSampleStep(animation);
        for (int i = 0; i < count && frame < frames; ++i, ++frame) {
            times[frame] = FrameTime{animation, AnimationSampleTime(step, i)};
        }
    }
    if (frame != frames) {
        delete[] times;
        return nullptr;
    }
    return times;
}

// A pose evaluates without writing into the scene when both its layouts were
// built (a scene without bones has no skin layout and is never moved).
bool PosesApart(const PoseState& pose, const HostScene* scene) {
    return pose.meshTopology.scene == scene && (pose.bonePoses.count == 0 || pose.skinLayout.scene == scene);
}

int WorkerCount(const ExportState& state, int workers, int frames) {
    if (workers <= 0) {
        const std::int64_t vertices = std::int64_t{frames} * state.pose.posedVertices.count;
        const std::int64_t gainful = vertices / kLeastVerticesPerWorker;
        workers = PlatformProcessorCount();
        workers = gainful < workers ? static_cast<int>(gainful) : workers;
    }
    workers = workers < kMostFrameWorkers ? workers : kMostFrameWorkers;
    workers = workers < frames ? workers : frames;
    return workers < 1 || !PosesApart(state.pose, state.scene) ? 1 : workers;
}

// Slices in frame order; the last belongs to the export's own pose. A slice
// whose pose cannot be laid out, or whose thread does not start, is evaluated
// on this thread before the last one.
bool EvaluateSlices(ExportState* state, const FrameTime* times, int frames, int workers) {
    FrameSlice slices[kMostFrameWorkers] = {};
    PoseState poses[kMostFrameWorkers] = {};
    PlatformThread* threads[kMostFrameWorkers] = {};
    for (int w = 0; w < workers; ++w) {
        slices[w] = FrameSlice{state, &state->pose, times, static_cast<int>(std::int64_t{frames} * w / workers),
                               static_cast<int>(std::int64_t{frames} * (w + 1) / workers), false};
        if (w + 1 < workers && StartPose(&poses[w], state->scene) && PosesApart(poses[w], state->scene)) {
            slices[w].pose = &poses[w];
            threads[w] = PlatformStartThread(EvaluateSlice, &slices[w]);
        }
    }
    for (int w = 0; w < workers; ++w) {
        if (threads[w] == nullptr) {
            // Not started: the export's pose takes it, the last slice last.
            slices[w].pose = &state->pose;
            EvaluateSlice(&slices[w]);
        }
    }
    bool kept = true;
    for (int w = 0; w < workers; ++w) {
        PlatformJoinThread(threads[w]);
        ReleasePose(&poses[w]);
        kept = kept && slices[w].kept;
    }
    return kept;
}

}  // namespace

bool KeepEveryFrame(ExportState* state, int workers, ModelBounds* bounds) {
    if (!StartKeptFrames(state)) {
        return false;
    }
    KeptFrames& kept = state->keptFrames;
    FrameTime* times = FrameTimes(state->scene, kept.frames);
    const bool evaluated =
        times != nullptr && EvaluateSlices(state, times, kept.frames, WorkerCount(*state, workers, kept.frames));
    delete[] times;
    if (!evaluated) {
        ReleaseKeptFrames(&kept);
        return false;
    }
    CompleteKeptFrames(&kept);
    PointBounds(kept.positions, std::int64_t{kept.frames} * kept.vertices, bounds);
    return true;
}
