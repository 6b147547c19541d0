#include "geom/spectral_decomposition.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "geom_test_support.h"

using namespace geomtest;

namespace {

// U*diag(k)*U^T in double, upper 3x3.
Matrix4 Compose(const Matrix4& u, const Vector4& k) {
    Matrix4 s = kIdentityMatrix;
    const double f[3] = {k.x, k.y, k.z};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            double sum = 0;
            for (int i = 0; i < 3; ++i) sum += static_cast<double>(u.m[4 * r + i]) * f[i] * u.m[4 * c + i];
            s.m[4 * r + c] = static_cast<float>(sum);
        }
    }
    return s;
}

Matrix4 RandomSymmetric(Random& random) {
    const Matrix4 u = random.Rotation();
    return Compose(u, {random.Uniform(0, 4), random.Uniform(0, 4), random.Uniform(0, 4), 1});
}

TEST(GeomSpectralDecompose, DiagonalMatrixNeedsNoRotation) {
    Matrix4 u;
    Vector4 k;
    SpectralDecompose(Diagonal(2, 3, 4), &u, &k);
    EXPECT_EQ(2.0f, k.x);
    EXPECT_EQ(3.0f, k.y);
    EXPECT_EQ(4.0f, k.z);
    EXPECT_EQ(1.0f, k.w);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(kIdentityMatrix.m[i], u.m[i]);
}

TEST(GeomSpectralDecompose, RandomSymmetricMatricesDiagonalise) {
    Random random(77);
    for (int n = 0; n < 1000; ++n) {
        const Matrix4 s = RandomSymmetric(random);
        Matrix4 u;
        Vector4 k;
        SpectralDecompose(s, &u, &k);
        ASSERT_NEAR(1.0, Determinant3(u), 1e-5) << n;
        ASSERT_LT(Difference3(s, Compose(u, k)), 1e-5) << n;
        ASSERT_EQ(1.0f, k.w);
    }
}

TEST(GeomSpectralDecompose, NaNEntriesEndAfterTheSweepLimit) {
    Matrix4 s = Rows({1, 2, 0, 0, 2, std::numeric_limits<float>::quiet_NaN(), 1, 0, 0, 1, 1, 0, 0, 0, 0, 1});
    Matrix4 u;
    Vector4 k;
    SpectralDecompose(s, &u, &k);  // returns: the sweeps are bounded
    EXPECT_TRUE(std::isnan(k.y));
}

// p must keep the stretch (u*p with the permuted factors describes the same
// symmetric matrix), be a unit quaternion, and bring u*p at least as close to
// the identity as u itself.
void ExpectAdjustmentKeepsStretch(const Quaternion& u, const Vector4& k) {
    Vector4 adjusted = k;
    Quaternion p, up;
    AdjustSpectralAxes(u, &adjusted, &p);
    QuaternionMultiply(u, p, &up);
    EXPECT_NEAR(1.0, static_cast<double>(p.x) * p.x + p.y * p.y + p.z * p.z + p.w * p.w, 1e-6);
    EXPECT_LT(Difference3(Compose(RotationOf(u), k), Compose(RotationOf(up), adjusted)), 1e-5);
    EXPECT_GE(std::fabs(up.w), std::fabs(u.w) - 1e-6);
    EXPECT_EQ(k.w, adjusted.w);
    float before[3] = {k.x, k.y, k.z}, after[3] = {adjusted.x, adjusted.y, adjusted.z};
    std::sort(before, before + 3);
    std::sort(after, after + 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(before[i], after[i]);
}

TEST(GeomAdjustSpectralAxes, AllEqualFactorsTurnBackToTheIdentity) {
    Random random(8);
    for (int n = 0; n < 100; ++n) {
        const Quaternion u = random.UnitQuaternion();
        Vector4 k = {2, 2, 2, 1};
        Quaternion p, up;
        AdjustSpectralAxes(u, &k, &p);
        EXPECT_EQ(-u.x, p.x);
        EXPECT_EQ(u.w, p.w);
        QuaternionMultiply(u, p, &up);
        EXPECT_NEAR(1.0, up.w, 1e-6);
        EXPECT_EQ(2.0f, k.x);
    }
}

TEST(GeomAdjustSpectralAxes, PermutesAxesToTheSmallestTurn) {
    // u swaps x and y by a quarter turn about z; the adjustment undoes the turn
    // and swaps the factors instead.
    const float h = 0.70710677f;
    Vector4 k = {1, 2, 3, 1};
    Quaternion p, up;
    AdjustSpectralAxes({0, 0, h, h}, &k, &p);
    QuaternionMultiply({0, 0, h, h}, p, &up);
    EXPECT_NEAR(1.0, std::fabs(up.w), 1e-6);
    EXPECT_EQ(2.0f, k.x);
    EXPECT_EQ(1.0f, k.y);
    EXPECT_EQ(3.0f, k.z);
}

TEST(GeomAdjustSpectralAxes, RandomTurnsKeepTheStretch) {
    Random random(31);
    for (int n = 0; n < 2000; ++n) {
        const Quaternion u = random.UnitQuaternion();
        const float a = random.Uniform(0.1f, 4), b = random.Uniform(0.1f, 4), c = random.Uniform(0.1f, 4);
        const Vector4 cases[] = {{a, b, c, 1}, {a, a, c, 1}, {a, b, a, 1}, {a, b, b, 1}};
        for (const Vector4& k : cases) ExpectAdjustmentKeepsStretch(u, k);
        if (testing::Test::HasFailure()) {
            ADD_FAILURE() << "case " << n;
            return;
        }
    }
}

}  // namespace
