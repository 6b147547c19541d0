#include "anim/model_bounds.h"

#include <gtest/gtest.h>

#include <cmath>

#include "anim_test_support.h"

using namespace animtest;

namespace {

constexpr float kLargest = 3.4028235e38f;

using AnimModelBounds = AnimSceneTest;

TEST_F(AnimModelBounds, StaticBoundsOfHostPositions) {
    RefAddVertex(scene_, 1, -2, 3);
    RefAddVertex(scene_, -1, 4, 3);
    RefAddVertex(scene_, 0, 0, 5);
    ModelBounds bounds;
    StaticBounds(Host(), &bounds);
    ExpectVectorEq(bounds.min, -1, -2, 3);
    ExpectVectorEq(bounds.max, 1, 4, 5);
    ExpectVectorEq(bounds.size, 2, 6, 2);
    ExpectVectorEq(bounds.centre, 0, 1, 4);
}

TEST_F(AnimModelBounds, EmptyOrMissingInputs) {
    ModelBounds bounds;
    // No vertex list, or no scene: all zeros.
    bounds.size = {9, 9, 9};
    StaticBounds(Host(), &bounds);
    ExpectVectorEq(bounds.size, 0, 0, 0);
    bounds.min = {9, 9, 9};
    StaticBounds(nullptr, &bounds);
    ExpectVectorEq(bounds.min, 0, 0, 0);
    // A present but empty list keeps the starting extremes; the size
    // overflows to -infinity and the centre is 0.
    RefSetPresence(scene_, RefList::Vertices, RefPresence::Present);
    StaticBounds(Host(), &bounds);
    ExpectVectorEq(bounds.min, kLargest, kLargest, kLargest);
    ExpectVectorEq(bounds.max, -kLargest, -kLargest, -kLargest);
    EXPECT_TRUE(std::isinf(bounds.size.x) && bounds.size.x < 0);
    ExpectVectorEq(bounds.centre, 0, 0, 0);

    // Animated bounds without an animation list: all zeros.
    RefSetPresence(scene_, RefList::Vertices, RefPresence::Auto);
    RefAddVertex(scene_, 5, 5, 5);
    ASSERT_TRUE(AllocPosedVertices(&pose_, Host()));
    bounds.max = {9, 9, 9};
    AnimatedBounds(&pose_, Host(), &bounds);
    ExpectVectorEq(bounds.max, 0, 0, 0);
}

TEST_F(AnimModelBounds, AnimationsWithoutBonesAreBoundedLikeTheHostPositions) {
    RefAddVertex(scene_, 1, 2, 3);
    RefAddVertex(scene_, -4, 0.5f, 8);
    RefAddAnimation(scene_, "a", 30, 0, 1);
    RefSetTrack(scene_, 0, 0, {{0, 100, 100, 100}}, {}, {});
    EXPECT_FALSE(AllocBonePoses(&pose_, Host()));
    ASSERT_TRUE(AllocPosedVertices(&pose_, Host()));
    ModelBounds animated;
    ModelBounds still;
    AnimatedBounds(&pose_, Host(), &animated);
    StaticBounds(Host(), &still);
    ExpectVectorEq(animated.min, still.min.x, still.min.y, still.min.z);
    ExpectVectorEq(animated.max, still.max.x, still.max.y, still.max.z);
}

TEST_F(AnimModelBounds, AnimatedBoundsCoverExactlyTheSampledFrames) {
    // One bone at the origin carrying a vertex at (1, 0, 0).
    RefAddBone(scene_, {});
    RefSetVertexWeights(scene_, RefAddVertex(scene_, 1, 0, 0), {{0, 1.0f}});
    // Moves +x by t: frames at 0, 1/30, ..., 29/30, so x reaches 1 + 29/30,
    // not 2.
    RefAddAnimation(scene_, "slide", 30, 0, 1);
    RefSetTrack(scene_, 0, 0, {{0, 0, 0, 0}, {1, 1, 0, 0}}, {}, {});
    // Rate 0 (so 30) and end 0.1: frames at 0, 1/30, 2/30, moving -y by
    // 30 t, so y reaches -2, not -3.
    RefAddAnimation(scene_, "drop", 0, 0, 0.1f);
    RefSetTrack(scene_, 1, 0, {{0, 0, 0, 0}, {0.1f, 0, -3, 0}}, {}, {});
    ASSERT_TRUE(StartPose(&pose_, Host()));

    ModelBounds bounds;
    AnimatedBounds(&pose_, Host(), &bounds);
    EXPECT_EQ(bounds.min.x, 1.0f);
    EXPECT_NEAR(bounds.max.x, 1 + 29.0f / 30.0f, 1e-6f);
    EXPECT_NEAR(bounds.min.y, -2, 1e-5f);
    EXPECT_EQ(bounds.max.y, 0.0f);
    EXPECT_NEAR(bounds.size.x, 29.0f / 30.0f, 1e-6f);
    EXPECT_NEAR(bounds.centre.y, -1, 1e-5f);
    // The last frame of the last animation stays in the posed vertices.
    ExpectVectorNear(Posed(0), 1, -2, 0);
}

}  // namespace
