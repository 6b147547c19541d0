#include "anim/pose_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

Quaternion TurnAboutZ(double degrees) {
    const double half = degrees * 3.14159265358979323846 / 360.0;
    return {0, 0, static_cast<float>(std::sin(half)), static_cast<float>(std::cos(half))};
}

void ExpectQuaternionNear(const Quaternion& q, float x, float y, float z, float w) {
    EXPECT_NEAR(q.x, x, 1e-6f);
    EXPECT_NEAR(q.y, y, 1e-6f);
    EXPECT_NEAR(q.z, z, 1e-6f);
    EXPECT_NEAR(q.w, w, 1e-6f);
}

TEST(AnimQuaternionToMatrix, TakesTheQuaternionAsItIs) {
    // (1, 0, 0, 1) has length sqrt 2. Row 1 is (2xy + 2wz, 1 - 2x^2 - 2z^2,
    // 2yz - 2wx) = (0, -1, -2), row 2 (2xz - 2wy, 2yz + 2wx, 1 - 2x^2 - 2y^2)
    // = (0, 2, -1). Normalising first would give the quarter turn about x.
    Matrix4 m;
    QuaternionToMatrix({1, 0, 0, 1}, &m);
    const float expected[16] = {1, 0, 0, 0, 0, -1, -2, 0, 0, 2, -1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m.m[i], expected[i]) << "element " << i;
}

TEST(AnimAffineMultiply, MatchesTheFullProductAndIgnoresBottomRows) {
    std::mt19937 engine(5);
    std::uniform_real_distribution<float> value(-4, 4);
    for (int n = 0; n < 200; ++n) {
        Matrix4 a = kIdentityMatrix;
        Matrix4 b = kIdentityMatrix;
        for (int i = 0; i < 12; ++i) {
            a.m[i] = value(engine);
            b.m[i] = value(engine);
        }
        Matrix4 full;
        MatrixMultiply(a, b, &full);
        // Garbage in the bottom rows is read as (0, 0, 0, 1); the output may
        // be either operand.
        for (int i = 12; i < 16; ++i) {
            a.m[i] = value(engine);
            b.m[i] = value(engine);
        }
        Matrix4 intoA = a;
        AffineMultiply(intoA, b, &intoA);
        Matrix4 intoB = b;
        AffineMultiply(a, intoB, &intoB);
        for (int i = 0; i < 16; ++i) {
            ASSERT_EQ(intoA.m[i], full.m[i]) << n << " element " << i;
            ASSERT_EQ(intoB.m[i], full.m[i]) << n << " element " << i;
        }
    }
}

TEST(AnimSlerpQuaternion, TakesTheShorterArc) {
    Quaternion q;
    // 0 and 270 degrees about z: the short way is the quarter turn backwards,
    // so halfway is -45 degrees, (0, 0, -sin 22.5, cos 22.5).
    SlerpQuaternion(TurnAboutZ(0), TurnAboutZ(270), 0.5f, &q);
    ExpectQuaternionNear(q, 0, 0, -0.38268343f, 0.92387953f);
    // +100 and -100 degrees: 200 degrees apart one way, 160 the other. After
    // negating q1, c = sin^2 50 - cos^2 50 = cos 80, theta = 80 degrees,
    // s0 = s1 = sin 40 / sin 80, so z = 2 sin 50 sin 40 / sin 80 = 1 and
    // w = 0: the half turn. The long way would pass through the identity.
    SlerpQuaternion(TurnAboutZ(100), TurnAboutZ(-100), 0.5f, &q);
    ExpectQuaternionNear(q, 0, 0, 1, 0);
    // A quarter of the way from 0 to 90 degrees: 22.5 degrees.
    SlerpQuaternion(TurnAboutZ(0), TurnAboutZ(90), 0.25f, &q);
    ExpectQuaternionNear(q, 0, 0, 0.19509032f, 0.98078528f);
}

TEST(AnimSlerpQuaternion, NearlyEqualKeysBlendLinearlyWithoutRenormalising) {
    Quaternion q;
    // Equal keys: 1 - c is 0, the blend is linear and gives the key again.
    SlerpQuaternion({0, 0, 0, 1}, {0, 0, 0, 1}, 0.3f, &q);
    ExpectQuaternionNear(q, 0, 0, 0, 1);
    // c = 2 lies outside the arc cosine's range: linear, w = 1.5, not 1.
    SlerpQuaternion({0, 0, 0, 1}, {0, 0, 0, 2}, 0.5f, &q);
    EXPECT_FLOAT_EQ(q.w, 1.5f);
}

}  // namespace
