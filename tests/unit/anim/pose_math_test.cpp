#include "anim/pose_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

void ExpectQuaternionNear(const Quaternion& actual, float x, float y, float z, float w, float tolerance = 1e-6f) {
    EXPECT_NEAR(actual.x, x, tolerance);
    EXPECT_NEAR(actual.y, y, tolerance);
    EXPECT_NEAR(actual.z, z, tolerance);
    EXPECT_NEAR(actual.w, w, tolerance);
}

Quaternion TurnAboutZ(double degrees) {
    const double half = degrees * 3.14159265358979323846 / 360.0;
    return {0, 0, static_cast<float>(std::sin(half)), static_cast<float>(std::cos(half))};
}

TEST(AnimQuaternionToMatrix, QuarterTurnAboutZTakesXToY) {
    Matrix4 m;
    QuaternionToMatrix(TurnAboutZ(90), &m);
    // Rows (0, -1, 0), (1, 0, 0), (0, 0, 1): +x goes to +y, +y to -x.
    const float expected[16] = {0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.m[i], expected[i], 1e-6f) << "element " << i;
}

TEST(AnimQuaternionToMatrix, TakesTheQuaternionAsItIs) {
    // (1, 0, 0, 1) has length sqrt 2. Entry by entry: row 0 is (1, 0, 0);
    // row 1 is (2xy + 2wz, 1 - 2x^2 - 2z^2, 2yz - 2wx) = (0, -1, -2); row 2 is
    // (2xz - 2wy, 2yz + 2wx, 1 - 2x^2 - 2y^2) = (0, 2, -1). Normalising first
    // would give the quarter turn rows (0, 0, -1) and (0, 1, 0) instead.
    Matrix4 m;
    QuaternionToMatrix({1, 0, 0, 1}, &m);
    const float expected[16] = {1, 0, 0, 0, 0, -1, -2, 0, 0, 2, -1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m.m[i], expected[i]) << "element " << i;
}

TEST(AnimAffineMultiply, AppliesTheRightOperandFirst) {
    Matrix4 translate = kIdentityMatrix;
    translate.m[3] = 1;
    translate.m[7] = 2;
    translate.m[11] = 3;
    Matrix4 turn;
    QuaternionToMatrix(TurnAboutZ(90), &turn);

    Matrix4 product;
    Vector3 p;
    // Turn first: (1, 0, 0) -> (0, 1, 0), then translate -> (1, 3, 3).
    AffineMultiply(translate, turn, &product);
    TransformPoint({1, 0, 0}, product, &p);
    EXPECT_NEAR(p.x, 1, 1e-6f);
    EXPECT_NEAR(p.y, 3, 1e-6f);
    EXPECT_NEAR(p.z, 3, 1e-6f);
    // Translate first: (1, 0, 0) -> (2, 2, 3), then turn -> (-2, 2, 3).
    AffineMultiply(turn, translate, &product);
    TransformPoint({1, 0, 0}, product, &p);
    EXPECT_NEAR(p.x, -2, 1e-6f);
    EXPECT_NEAR(p.y, 2, 1e-6f);
    EXPECT_NEAR(p.z, 3, 1e-6f);
}

TEST(AnimAffineMultiply, MatchesTheFullProductOfAffineMatricesAndIgnoresBottomRows) {
    std::mt19937 engine(5);
    std::uniform_real_distribution<float> value(-4, 4);
    auto fill = [&](Matrix4* m, int from, int to) {
        for (int i = from; i < to; ++i) m->m[i] = value(engine);
    };
    for (int n = 0; n < 200; ++n) {
        Matrix4 a = kIdentityMatrix;
        Matrix4 b = kIdentityMatrix;
        fill(&a, 0, 12);
        fill(&b, 0, 12);
        Matrix4 full;
        MatrixMultiply(a, b, &full);
        // Garbage in the bottom rows is read as (0, 0, 0, 1).
        Matrix4 dirtyA = a;
        Matrix4 dirtyB = b;
        fill(&dirtyA, 12, 16);
        fill(&dirtyB, 12, 16);
        Matrix4 product;
        AffineMultiply(dirtyA, dirtyB, &product);
        for (int i = 0; i < 16; ++i) ASSERT_EQ(product.m[i], full.m[i]) << n << " element " << i;

        // The output may be either operand.
        Matrix4 intoA = dirtyA;
        AffineMultiply(intoA, dirtyB, &intoA);
        Matrix4 intoB = dirtyB;
        AffineMultiply(dirtyA, intoB, &intoB);
        for (int i = 0; i < 16; ++i) {
            ASSERT_EQ(intoA.m[i], full.m[i]) << n;
            ASSERT_EQ(intoB.m[i], full.m[i]) << n;
        }
    }
}

TEST(AnimLerpVector, BlendsEachComponent) {
    Vector3 v;
    LerpVector({1, -2, 4}, {3, 2, 4}, 0.25f, &v);
    EXPECT_EQ(v.x, 1.5f);
    EXPECT_EQ(v.y, -1.0f);
    EXPECT_EQ(v.z, 4.0f);
    LerpVector({1, -2, 4}, {3, 2, 4}, 0, &v);
    EXPECT_EQ(v.x, 1.0f);
    EXPECT_EQ(v.y, -2.0f);
}

TEST(AnimSlerpQuaternion, TakesTheShorterArc) {
    Quaternion q;
    // 0 and 270 degrees about z: the short way is the quarter turn backwards,
    // so halfway is -45 degrees, (0, 0, -sin 22.5, cos 22.5).
    SlerpQuaternion(TurnAboutZ(0), TurnAboutZ(270), 0.5f, &q);
    ExpectQuaternionNear(q, 0, 0, -0.38268343f, 0.92387953f);

    // +100 and -100 degrees are 200 degrees apart one way and 160 the other.
    // Halfway along the 160 degree arc is the half turn (0, 0, 1, 0): after
    // negating q1, c = sin^2 50 - cos^2 50 = cos 80, theta = 80 degrees,
    // s0 = s1 = sin 40 / sin 80, z = 2 sin 50 sin 40 / sin 80 = 1, w = 0.
    // The long way would pass through the identity instead.
    SlerpQuaternion(TurnAboutZ(100), TurnAboutZ(-100), 0.5f, &q);
    ExpectQuaternionNear(q, 0, 0, 1, 0);
}

TEST(AnimSlerpQuaternion, EndsAreTheKeysAndTheMiddleIsOnTheArc) {
    const Quaternion q0 = TurnAboutZ(0);
    const Quaternion q1 = TurnAboutZ(90);
    Quaternion q;
    SlerpQuaternion(q0, q1, 0, &q);
    EXPECT_EQ(q.z, q0.z);
    EXPECT_EQ(q.w, q0.w);
    SlerpQuaternion(q0, q1, 1, &q);
    EXPECT_EQ(q.z, q1.z);
    EXPECT_EQ(q.w, q1.w);
    // A quarter of the way: 22.5 degrees, still of unit length.
    SlerpQuaternion(q0, q1, 0.25f, &q);
    ExpectQuaternionNear(q, 0, 0, 0.19509032f, 0.98078528f);
}

TEST(AnimSlerpQuaternion, NearlyEqualKeysBlendLinearlyWithoutRenormalising) {
    Quaternion q;
    // Equal keys: 1 - c is 0, so the blend is linear and gives the key again.
    SlerpQuaternion({0, 0, 0, 1}, {0, 0, 0, 1}, 0.3f, &q);
    ExpectQuaternionNear(q, 0, 0, 0, 1);
    // c = 2 is outside the arc cosine's range; the linear blend of w = 1
    // and w = 2 at 0.5 is 1.5 and stays unnormalised.
    SlerpQuaternion({0, 0, 0, 1}, {0, 0, 0, 2}, 0.5f, &q);
    EXPECT_FLOAT_EQ(q.w, 1.5f);
    // Keys one float step apart in c still give finite values near both.
    SlerpQuaternion({0, 0, 0, 1}, {0, 0, 0.00034526698f, 0.99999994f}, 0.5f, &q);
    EXPECT_TRUE(std::isfinite(q.z) && std::isfinite(q.w));
    ExpectQuaternionNear(q, 0, 0, 0.00017263349f, 0.99999997f, 1e-6f);
}

}  // namespace
