#include "export/frame_plan.h"

bool HasAnimations(const HostScene* scene) { return scene != nullptr && ListCount(scene->animations) > 0; }

std::int64_t ExportFrameTotal(HostScene* scene) {
    if (!HasAnimations(scene)) {
        return 1;
    }
    std::int64_t total = 0;
    for (int a = 0; a < ListCount(scene->animations); ++a) {
        total += AnimationFrameCount(&scene->animations.items[a]);
    }
    return total;
}

OwnedArray<FrameAt> ListFrames(HostScene* scene, int frames) {
    OwnedArray<FrameAt> list = NewOwnedArray<FrameAt>(frames);
    if (list == nullptr) {
        return nullptr;
    }
    int frame = 0;
    for (FrameWalk walk = StartFrameWalk(scene); frame < frames && NextFrame(&walk); ++frame) {
        list[frame] = walk.frame;
    }
    if (frame != frames) {
        return nullptr;
    }
    return list;
}
