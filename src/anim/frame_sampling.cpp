#include "anim/frame_sampling.h"

#include <cmath>

#include "host_api/host_ops.h"

namespace {

constexpr float kDefaultFrameRate = 30;

}  // namespace

float AnimationFrameRate(const HostAnimation* animation) {
    if (animation == nullptr || animation->frameRate == 0) {
        return kDefaultFrameRate;
    }
    return animation->frameRate;
}

int AnimationFrameCount(HostAnimation* animation) {
    if (animation == nullptr) {
        return 1;
    }
    float start = 0;
    float end = 0;
    GetTimeRange(animation, &start, &end);
    const float frames = std::ceil(end * AnimationFrameRate(animation));
    // Checked before the conversion to int, which is undefined for values
    // outside its range; "not above 0" also catches a product that is not a number.
    if (!(frames > 0)) {
        return 1;
    }
    if (frames >= static_cast<float>(kMaxAnimationFrames)) {
        return kMaxAnimationFrames;
    }
    return static_cast<int>(frames);
}

float AnimationSampleStep(const HostAnimation* animation) { return 1 / AnimationFrameRate(animation); }

FrameWalk StartFrameWalk(HostScene* scene) { return FrameWalk{scene, -1, 0, 0, FrameAt{nullptr, 0, 0}}; }

bool NextFrame(FrameWalk* walk) {
    if (walk->scene == nullptr) {
        return false;
    }
    int number = walk->frame.animation != nullptr ? walk->frame.number + 1 : 0;
    while (number >= walk->count) {
        if (walk->animation + 1 >= ListCount(walk->scene->animations)) {
            return false;
        }
        ++walk->animation;
        HostAnimation* animation = &walk->scene->animations.items[walk->animation];
        walk->frame.animation = animation;
        walk->count = AnimationFrameCount(animation);
        walk->step = AnimationSampleStep(animation);
        number = 0;
    }
    walk->frame.number = number;
    walk->frame.time = AnimationSampleTime(walk->step, number);
    return true;
}
