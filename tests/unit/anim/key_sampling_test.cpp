#include "anim/key_sampling.h"

#include <gtest/gtest.h>

#include "anim_test_support.h"

using namespace animtest;

namespace {

// Two bones (the key channels are only read while bone poses exist) and one
// animation whose bone 0 has position keys (1, 1, 1) at 0.5, (3, -1, 1) at
// 1.5 and (3, -1, 5) at 2.5, and whose bone 1 has rotation keys only: the
// identity at 0 and a quarter turn about z at 1.
class AnimKeySampling : public AnimSceneTest {
protected:
    void SetUp() override {
        AnimSceneTest::SetUp();
        RefAddBone(scene_, {});
        RefAddBone(scene_, {});
        RefAddAnimation(scene_, "walk", 30, 0, 3);
        RefSetTrack(scene_, 0, 0, {{0.5f, 1, 1, 1}, {1.5f, 3, -1, 1}, {2.5f, 3, -1, 5}}, {}, {});
        RefSetTrack(scene_, 0, 1, {}, {{0, 0, 0, 0, 1}, {1, 0, 0, 0.70710677f, 0.70710677f}}, {});
        ASSERT_TRUE(AllocBonePoses(Host()));
    }
    Vector3 Position(float t) { return SamplePosition(Animation(0), t, 0); }
};

TEST_F(AnimKeySampling, KeyTimesAndTimesBetweenThem) {
    // At or before the first key: the first key exactly.
    ExpectVectorEq(Position(0), 1, 1, 1);
    ExpectVectorEq(Position(0.5f), 1, 1, 1);
    // Halfway from key 0 to key 1: (1 + 2 * 0.5, 1 - 2 * 0.5, 1).
    ExpectVectorNear(Position(1), 2, 0, 1);
    // At key 1 the search stops at key 1 itself with f = 1.
    ExpectVectorNear(Position(1.5f), 3, -1, 1);
    // A quarter of the way from key 1 to key 2: z = 1 + 4 * 0.25.
    ExpectVectorNear(Position(1.75f), 3, -1, 2);
    // At and after the last key: the last key exactly.
    ExpectVectorEq(Position(2.5f), 3, -1, 5);
    ExpectVectorEq(Position(40), 3, -1, 5);
}

TEST_F(AnimKeySampling, RotationKeysAreSlerped) {
    const Quaternion start = SampleRotation(Animation(0), 0, 1);
    EXPECT_EQ(start.z, 0.0f);
    EXPECT_EQ(start.w, 1.0f);
    // Halfway between the identity and the quarter turn: the eighth turn.
    const Quaternion half = SampleRotation(Animation(0), 0.5f, 1);
    EXPECT_NEAR(half.z, 0.38268343f, 1e-6f);
    EXPECT_NEAR(half.w, 0.92387953f, 1e-6f);
    // At the last key: that key's rotation.
    const Quaternion end = SampleRotation(Animation(0), 1, 1);
    EXPECT_NEAR(end.z, 0.70710677f, 1e-7f);
    EXPECT_NEAR(end.w, 0.70710677f, 1e-7f);
}

TEST_F(AnimKeySampling, ChannelsWithoutKeysGiveTheirDefaults) {
    // Bone 1 has rotation keys only; bone 0 position keys only.
    ExpectVectorEq(SamplePosition(Animation(0), 0.7f, 1), 0, 0, 0);
    ExpectVectorEq(SampleScale(Animation(0), 0.7f, 1), 1, 1, 1);
    ExpectVectorEq(SampleScale(Animation(0), 0.7f, 0), 1, 1, 1);
    const Quaternion rotation = SampleRotation(Animation(0), 0.7f, 0);
    EXPECT_EQ(rotation.x, 0.0f);
    EXPECT_EQ(rotation.y, 0.0f);
    EXPECT_EQ(rotation.z, 0.0f);
    EXPECT_EQ(rotation.w, 1.0f);
}

TEST_F(AnimKeySampling, MissingAnimationTrackOrBonePosesGiveDefaults) {
    ExpectVectorEq(SamplePosition(nullptr, 1, 0), 0, 0, 0);
    // Bone indices outside the tracks, on either side.
    ExpectVectorEq(SamplePosition(Animation(0), 1, 2), 0, 0, 0);
    ExpectVectorEq(SamplePosition(Animation(0), 1, -1), 0, 0, 0);
    // An animation without a track list.
    RefAddAnimation(scene_, "still", 30, 0, 1);
    ExpectVectorEq(SampleScale(Animation(1), 1, 0), 1, 1, 1);
    // The keys are there, but no bone poses are.
    FreeBonePoses();
    ExpectVectorEq(Position(1), 0, 0, 0);
}

TEST_F(AnimKeySampling, NegativeKeyCountsAndMissingKeyListsMeanNoKeys) {
    HostBoneTrack& track = Animation(0)->tracks[0];
    track.positionKeyCount = -3;
    ExpectVectorEq(Position(1), 0, 0, 0);
    track.positionKeyCount = 3;
    track.positionKeys = nullptr;
    ExpectVectorEq(Position(1), 0, 0, 0);
    HostBoneTrack& rotations = Animation(0)->tracks[1];
    rotations.rotationKeyCount = -1;
    EXPECT_EQ(SampleRotation(Animation(0), 0.5f, 1).w, 1.0f);
}

}  // namespace
