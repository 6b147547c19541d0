#include "anim/frame_sampling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "anim_test_support.h"

using namespace animtest;

namespace {

class AnimFrameSampling : public AnimSceneTest {
protected:
    int Count(float frameRate, float end) {
        const int index = RefAddAnimation(scene_, "a", frameRate, 0, end);
        return AnimationFrameCount(Animation(index));
    }
};

TEST_F(AnimFrameSampling, CountIsTheCeilingOfEndTimesRate) {
    EXPECT_EQ(Count(30, 0), 1);       // an animation of length 0 still yields a frame
    EXPECT_EQ(Count(30, 1), 30);      // the pose at 1 itself is not sampled
    EXPECT_EQ(Count(30, 1.01f), 31);  // 30.3 rounds up
    EXPECT_EQ(Count(0, 1), 30);       // a rate of 0 means 30
    EXPECT_EQ(Count(24, 0.5f), 12);
    EXPECT_EQ(Count(10, 0.01f), 1);   // 0.1 rounds up to one frame
}

TEST_F(AnimFrameSampling, OnlyTheEndOfTheRangeCounts) {
    // Sampling always starts at time 0, whatever the range's start.
    RefAddAnimation(scene_, "late", 30, 0.5f, 1);
    EXPECT_EQ(AnimationFrameCount(Animation(0)), 30);
}

TEST_F(AnimFrameSampling, UnusableProductsGiveOneFrameOrTheCap) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    EXPECT_EQ(Count(30, -1), 1);
    EXPECT_EQ(Count(30, -0.0f), 1);
    EXPECT_EQ(Count(30, nan), 1);
    EXPECT_EQ(Count(nan, 1), 1);
    EXPECT_EQ(Count(-30, 2), 1);
    EXPECT_EQ(Count(30, -infinity), 1);
    EXPECT_EQ(Count(30, infinity), kMaxAnimationFrames);
    EXPECT_EQ(Count(infinity, 1), kMaxAnimationFrames);
    EXPECT_EQ(Count(30, 1e30f), kMaxAnimationFrames);
    EXPECT_EQ(Count(30, 1e8f), kMaxAnimationFrames);  // 3e9 frames: beyond int32
    // The cap itself and just below it are counted as they are.
    EXPECT_EQ(Count(1, 16777216.0f), kMaxAnimationFrames);
    EXPECT_EQ(Count(1, 16777215.0f), 16777215);
    EXPECT_EQ(Count(1, 16777218.0f), kMaxAnimationFrames);
    EXPECT_EQ(AnimationFrameCount(nullptr), 1);
}

TEST_F(AnimFrameSampling, FramesAreTakenEveryStepFromZero) {
    RefAddAnimation(scene_, "walk", 30, 0, 1);
    RefAddAnimation(scene_, "default", 0, 0, 1);
    for (int a = 0; a < 2; ++a) {
        EXPECT_EQ(AnimationFrameRate(Animation(a)), 30.0f);
        const float step = AnimationSampleStep(Animation(a));
        EXPECT_EQ(step, 1.0f / 30.0f);
        const int frames = AnimationFrameCount(Animation(a));
        EXPECT_EQ(AnimationSampleTime(step, 0), 0.0f);
        // Frame 29 at 29/30: before the end, which is not sampled.
        const float last = AnimationSampleTime(step, frames - 1);
        EXPECT_NEAR(last, 29.0f / 30.0f, 1e-6f);
        EXPECT_LT(last, 1.0f);
    }
}

}  // namespace
