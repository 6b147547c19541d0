#include "anim/frame_sampling.h"

#include <gtest/gtest.h>

#include <limits>

#include "anim_test_support.h"

using namespace animtest;

namespace {

class AnimFrameSampling : public AnimSceneTest {
protected:
    int Count(float frameRate, float end, float start = 0) {
        return AnimationFrameCount(Animation(RefAddAnimation(scene_, "a", frameRate, start, end)));
    }
};

TEST_F(AnimFrameSampling, CountIsTheCeilingOfEndTimesRate) {
    EXPECT_EQ(Count(30, 0), 1);       // length 0 still yields a frame
    EXPECT_EQ(Count(30, 1), 30);      // the pose at the end itself is not sampled
    EXPECT_EQ(Count(30, 1.01f), 31);  // 30.3 rounds up
    EXPECT_EQ(Count(0, 1), 30);       // a rate of 0 means 30
    EXPECT_EQ(Count(30, 1, 0.5f), 30);  // sampling starts at 0 whatever the start
}

TEST_F(AnimFrameSampling, UnusableProductsGiveOneFrameOrTheCap) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    for (float end : {-1.0f, -0.0f, nan, -infinity}) EXPECT_EQ(Count(30, end), 1) << end;
    EXPECT_EQ(Count(nan, 1), 1);
    EXPECT_EQ(Count(-30, 2), 1);
    for (float end : {infinity, 1e30f, 1e8f /* 3e9 frames: beyond int32 */}) {
        EXPECT_EQ(Count(30, end), kMaxAnimationFrames) << end;
    }
    EXPECT_EQ(Count(infinity, 1), kMaxAnimationFrames);
    // Up to the cap, counts are as they are.
    EXPECT_EQ(Count(1, 16777215.0f), 16777215);
    EXPECT_EQ(Count(1, 16777216.0f), kMaxAnimationFrames);
    EXPECT_EQ(AnimationFrameCount(nullptr), 1);
}

TEST_F(AnimFrameSampling, FramesAreTakenEveryStepFromZero) {
    RefAddAnimation(scene_, "walk", 30, 0, 1);
    RefAddAnimation(scene_, "default", 0, 0, 1);
    for (int a = 0; a < 2; ++a) {
        const float step = AnimationSampleStep(Animation(a));
        EXPECT_EQ(step, 1.0f / 30.0f);
        EXPECT_EQ(AnimationSampleTime(step, 0), 0.0f);
        // The last of 30 frames is at 29/30, before the end.
        EXPECT_NEAR(AnimationSampleTime(step, AnimationFrameCount(Animation(a)) - 1), 29.0f / 30.0f, 1e-6f);
    }
}

}  // namespace

namespace {

// The walk gives every animation's frames in order, numbered from 0 in each,
// at frame x step; a scene without animations has none.
TEST_F(AnimFrameSampling, WalkGivesEveryFrameInOrder) {
    FrameWalk empty = StartFrameWalk(Host());
    EXPECT_FALSE(NextFrame(&empty));
    const int first = RefAddAnimation(scene_, "run", 3, 0, 1);     // 3 frames, step 1/3
    const int second = RefAddAnimation(scene_, "walk", 4, 0, 0.5f);  // 2 frames, step 1/4
    const HostAnimation* run = Animation(first);
    const HostAnimation* walk = Animation(second);
    const FrameAt expected[] = {{run, 0, 0}, {run, 1, 1 / 3.0f}, {run, 2, 2 / 3.0f}, {walk, 0, 0}, {walk, 1, 0.25f}};
    FrameWalk frames = StartFrameWalk(Host());
    for (const FrameAt& at : expected) {
        ASSERT_TRUE(NextFrame(&frames));
        EXPECT_EQ(frames.frame.animation, at.animation);
        EXPECT_EQ(frames.frame.number, at.number);
        EXPECT_FLOAT_EQ(frames.frame.time, at.time);
    }
    EXPECT_FALSE(NextFrame(&frames));
    EXPECT_FALSE(NextFrame(&frames));
}

}  // namespace
