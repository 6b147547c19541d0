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
