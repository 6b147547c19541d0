#include "anim/key_sampling.h"

#include <gtest/gtest.h>

#include "anim_test_support.h"

using namespace animtest;

namespace {

// Bone 0 has position keys (1, 1, 1) at 0.5, (3, -1, 1) at 1.5 and
// (3, -1, 5) at 2.5; bone 1 has rotation keys only: the identity at 0 and a
// quarter turn about z at 1. Channels are read only while bone poses exist.
class AnimKeySampling : public AnimSceneTest {
protected:
    void SetUp() override {
        AnimSceneTest::SetUp();
        RefAddBone(scene_, {});
        RefAddBone(scene_, {});
        RefAddAnimation(scene_, "walk", 30, 0, 3);
        RefSetTrack(scene_, 0, 0, {{0.5f, 1, 1, 1}, {1.5f, 3, -1, 1}, {2.5f, 3, -1, 5}}, {}, {});
        RefSetTrack(scene_, 0, 1, {}, {{0, 0, 0, 0, 1}, {1, 0, 0, 0.70710677f, 0.70710677f}}, {});
        ASSERT_TRUE(AllocBonePoses(&pose_, Host()));
    }
    Vector3 Position(float t) { return SamplePosition(pose_, Animation(0), t, 0); }
};

TEST_F(AnimKeySampling, KeyTimesAndTimesBetweenThem) {
    ExpectVectorEq(Position(0), 1, 1, 1);     // before the first key
    ExpectVectorEq(Position(0.5f), 1, 1, 1);  // at it
    ExpectVectorNear(Position(1), 2, 0, 1);   // halfway from key 0 to key 1
    ExpectVectorNear(Position(1.5f), 3, -1, 1);  // at key 1: f = 1 from key 0
    ExpectVectorNear(Position(1.75f), 3, -1, 2);  // a quarter from key 1 to key 2
    ExpectVectorEq(Position(2.5f), 3, -1, 5);     // at and after the last key
    ExpectVectorEq(Position(40), 3, -1, 5);

    // Rotations are slerped: halfway to the quarter turn is the eighth turn.
    const Quaternion half = SampleRotation(pose_, Animation(0), 0.5f, 1);
    EXPECT_NEAR(half.z, 0.38268343f, 1e-6f);
    EXPECT_NEAR(half.w, 0.92387953f, 1e-6f);
}

TEST_F(AnimKeySampling, MissingKeysTracksAndPosesGiveDefaults) {
    // A channel without keys in a keyed track.
    ExpectVectorEq(SamplePosition(pose_, Animation(0), 0.7f, 1), 0, 0, 0);
    ExpectVectorEq(SampleScale(pose_, Animation(0), 0.7f, 0), 1, 1, 1);
    EXPECT_EQ(SampleRotation(pose_, Animation(0), 0.7f, 0).w, 1.0f);
    // No animation; bone indices outside the tracks on either side; an
    // animation without a track list.
    ExpectVectorEq(SamplePosition(pose_, nullptr, 1, 0), 0, 0, 0);
    ExpectVectorEq(SamplePosition(pose_, Animation(0), 1, 2), 0, 0, 0);
    ExpectVectorEq(SamplePosition(pose_, Animation(0), 1, -1), 0, 0, 0);
    RefAddAnimation(scene_, "still", 30, 0, 1);
    ExpectVectorEq(SampleScale(pose_, Animation(1), 1, 0), 1, 1, 1);
    // A negative key count, or a count without a key list, means no keys.
    HostBoneTrack& track = Animation(0)->tracks[0];
    track.positionKeyCount = -3;
    ExpectVectorEq(Position(1), 0, 0, 0);
    track.positionKeyCount = 3;
    track.positionKeys = nullptr;
    ExpectVectorEq(Position(1), 0, 0, 0);
    // Keys, but no bone poses.
    FreeBonePoses(&pose_);
    EXPECT_EQ(SampleRotation(pose_, Animation(0), 0.5f, 1).w, 1.0f);
}

}  // namespace
