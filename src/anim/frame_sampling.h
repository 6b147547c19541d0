// How many frames an animation yields and the times at which they are taken.
// Every place that counts, sums or samples frames uses these functions, so
// they always agree.
#pragma once

#include "host_api/host_records.h"

// The most frames taken from one animation: every frame index up to it
// converts to float exactly, so each frame keeps a time of its own.
inline constexpr int kMaxAnimationFrames = 1 << 24;

// The animation's frame rate; a rate of exactly 0 (or no animation) means 30.
float AnimationFrameRate(const HostAnimation* animation);

// ceil(end x rate) in single precision, where end comes from the animation's
// time range (the start is not used: sampling begins at time 0). Always from 1
// to kMaxAnimationFrames: an end x rate of 0, below 0 or not a number gives
// 1, and one beyond kMaxAnimationFrames (infinity included) gives
// kMaxAnimationFrames. No animation gives 1.
int AnimationFrameCount(HostAnimation* animation);

// The time between two frames, 1 / rate in single precision.
float AnimationSampleStep(const HostAnimation* animation);

// The time of frame `frame`: frame x step, the index converted to float.
inline float AnimationSampleTime(float step, int frame) { return static_cast<float>(frame) * step; }

// One frame of an export: its animation, its number there (from 0) and the
// time it is evaluated at.
struct FrameAt {
    const HostAnimation* animation;
    int number;
    float time;
};

// A walk over every frame of every animation of a scene, in the order the
// frames are written: each animation's AnimationFrameCount frames at
// AnimationSampleTime. An animation's count and step are taken once, when
// the walk reaches it. No animation list, or an empty one, has no frames.
struct FrameWalk {
    HostScene* scene;
    int animation;  // index of the current frame's animation
    int count;      // that animation's frame count
    float step;     // and its sample step
    FrameAt frame;  // the current frame, once NextFrame answered true
};

FrameWalk StartFrameWalk(HostScene* scene);
// Moves to the next frame; false past the last.
bool NextFrame(FrameWalk* walk);
