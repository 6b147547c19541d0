#include "anim/model_bounds.h"

#include "anim/frame_sampling.h"
#include "anim/pose_evaluation.h"
#include "anim/pose_state.h"
#include "geom/float4.h"

namespace {

constexpr float kLargestFloat = 3.4028235e38f;

void Widen(float value, float* min, float* max) {
    if (!(value > *min)) *min = value;
    if (!(value < *max)) *max = value;
}

void Include(const Vector3& point, ModelBounds* bounds) {
    Widen(point.x, &bounds->min.x, &bounds->max.x);
    Widen(point.y, &bounds->min.y, &bounds->max.y);
    Widen(point.z, &bounds->min.z, &bounds->max.z);
}

// Include for `count` positions, the first at `first` and each next one
// `stride` bytes further, the three axes of a point in one vector: each lane
// takes the value unless the kept one is beyond it, as Widen does (so a
// value that is not a number is taken too). False when some coordinate was
// not a number.
bool IncludePoints(const Vector3* first, std::size_t stride, std::int64_t count, ModelBounds* bounds) {
    const char* bytes = reinterpret_cast<const char*>(first);
    Float4 lo = MakeFloat4(bounds->min.x, bounds->min.y, bounds->min.z);
    Float4 hi = MakeFloat4(bounds->max.x, bounds->max.y, bounds->max.z);
    Int4 numbers = SplatInt4(-1);
    for (std::int64_t v = 0; v < count; ++v) {
        const Vector3& p = *reinterpret_cast<const Vector3*>(bytes + static_cast<std::size_t>(v) * stride);
        const Float4 value = MakeFloat4(p.x, p.y, p.z);
        numbers = numbers & (value == value);
        lo = Select4(value > lo, lo, value);
        hi = Select4(value < hi, hi, value);
    }
    bounds->min = {lo[0], lo[1], lo[2]};
    bounds->max = {hi[0], hi[1], hi[2]};
    return AllLanes(numbers);
}

}  // namespace

void AnimatedBounds(PoseState* pose, HostScene* scene, ModelBounds* bounds) {
    if (bounds == nullptr) {
        return;
    }
    *bounds = {};
    if (scene == nullptr || pose->posedVertices.count == 0 || scene->animations.items == nullptr) {
        return;
    }
    StartBounds(bounds);
    for (FrameWalk walk = StartFrameWalk(scene); NextFrame(&walk);) {
        EvaluatePose(pose, scene, walk.frame.animation, walk.frame.time);
        IncludePosedFrame(*pose, bounds);
    }
    FinishBounds(bounds);
}

void StartBounds(ModelBounds* bounds) {
    bounds->min = {kLargestFloat, kLargestFloat, kLargestFloat};
    bounds->max = {-kLargestFloat, -kLargestFloat, -kLargestFloat};
}

void FinishBounds(ModelBounds* bounds) {
    const Vector3& lo = bounds->min;
    const Vector3& hi = bounds->max;
    bounds->centre = {(lo.x + hi.x) * 0.5f, (lo.y + hi.y) * 0.5f, (lo.z + hi.z) * 0.5f};
    bounds->size = {hi.x - lo.x, hi.y - lo.y, hi.z - lo.z};
}

bool IncludePosedFrame(const PoseState& pose, ModelBounds* bounds) {
    const PosedVertexArray& posed = pose.posedVertices;
    return posed.items == nullptr || IncludePoints(&posed.items[0].position, sizeof(PosedVertex), posed.count, bounds);
}

// Each lane takes the later run's value unless the kept one is beyond it: as
// if the later run's extreme came after everything before it.
void JoinBounds(const ModelBounds& later, ModelBounds* bounds) {
    Float4 lo = MakeFloat4(bounds->min.x, bounds->min.y, bounds->min.z);
    Float4 hi = MakeFloat4(bounds->max.x, bounds->max.y, bounds->max.z);
    const Float4 laterLo = MakeFloat4(later.min.x, later.min.y, later.min.z);
    const Float4 laterHi = MakeFloat4(later.max.x, later.max.y, later.max.z);
    lo = Select4(laterLo > lo, lo, laterLo);
    hi = Select4(laterHi < hi, hi, laterHi);
    bounds->min = {lo[0], lo[1], lo[2]};
    bounds->max = {hi[0], hi[1], hi[2]};
}

void StaticBounds(const HostScene* scene, ModelBounds* bounds) {
    if (bounds == nullptr) {
        return;
    }
    *bounds = {};
    if (scene == nullptr || scene->vertices.items == nullptr) {
        return;
    }
    StartBounds(bounds);
    for (int v = 0; v < scene->vertices.count; ++v) {
        const float* p = scene->vertices.items[v].position;
        Include({p[0], p[1], p[2]}, bounds);
    }
    FinishBounds(bounds);
}
