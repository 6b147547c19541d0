#include "export/frame_box.h"

#include "anim/model_bounds.h"
#include "export/export_state.h"
#include "export/frame_plan.h"
#include "export/frame_workers.h"

float AxisScale(float size) {
    float scale = 1;
    if (size != 0) {
        scale = 255.0f / size;
        if (scale != 0) {
            scale = 1.0f / scale;
        }
    }
    return scale;
}

FrameBox ComputeFrameBox(ExportState* state) {
    HostScene* scene = state->scene;
    ModelBounds bounds{};
    if (HasAnimations(scene)) {
        if (!SlicedAnimatedBounds(state, &bounds)) {
            AnimatedBounds(&state->pose, scene, &bounds);
        }
    } else {
        StaticBounds(scene, &bounds);
    }
    FrameBox box{};
    box.scale = {AxisScale(bounds.size.x), AxisScale(bounds.size.y), AxisScale(bounds.size.z)};
    box.translate = bounds.min;
    return box;
}
