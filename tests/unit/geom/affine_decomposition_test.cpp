#include "geom/affine_decomposition.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "geom_test_support.h"

using namespace geomtest;

namespace {

AffineDecomposition Decompose(const Matrix4& a) {
    AffineDecomposition parts;
    std::memset(&parts, 0, sizeof parts);
    DecomposeAffine(a, &parts);
    return parts;
}

void ExpectVectorEq(const Vector4& expected, const Vector4& actual) {
    EXPECT_EQ(expected.x, actual.x);
    EXPECT_EQ(expected.y, actual.y);
    EXPECT_EQ(expected.z, actual.z);
    EXPECT_EQ(expected.w, actual.w);
}

// T * R(q) * U * diag(f*k) * U^T in double: what the parts describe.
Matrix4 Recompose(const AffineDecomposition& parts) {
    const Matrix4 r = RotationOf(parts.q);
    const Matrix4 u = RotationOf(parts.u);
    const double k[3] = {parts.f * parts.k.x, parts.f * parts.k.y, parts.f * parts.k.z};
    Matrix4 m = Translation(parts.t.x, parts.t.y, parts.t.z);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            double sum = 0;
            for (int i = 0; i < 3; ++i) {
                for (int j = 0; j < 3; ++j) {
                    sum += static_cast<double>(r.m[4 * row + i]) * u.m[4 * i + j] * k[j] * u.m[4 * col + j];
                }
            }
            m.m[4 * row + col] = static_cast<float>(sum);
        }
    }
    return m;
}

TEST(GeomDecomposeAffine, Identity) {
    const AffineDecomposition parts = Decompose(kIdentityMatrix);
    ExpectVectorEq({0, 0, 0, 0}, parts.t);
    ExpectQuaternionEq({0, 0, 0, 1}, parts.q);
    ExpectQuaternionEq({0, 0, 0, 1}, parts.u);
    ExpectVectorEq({1, 1, 1, 1}, parts.k);
    EXPECT_EQ(1.0f, parts.f);
}

TEST(GeomDecomposeAffine, QuarterTurnWithTranslation) {
    const AffineDecomposition parts = Decompose(Rows({1, 0, 0, 1, 0, 0, 1, 2, 0, -1, 0, 3, 0, 0, 0, 1}));
    ExpectVectorEq({1, 2, 3, 0}, parts.t);
    ExpectQuaternionEq({-0.70710677f, 0, 0, 0.70710677f}, parts.q);
    ExpectVectorEq({1, 1, 1, 1}, parts.k);
    EXPECT_EQ(1.0f, parts.f);
}

TEST(GeomDecomposeAffine, AxisScale) {
    const AffineDecomposition parts = Decompose(Diagonal(2, 3, 4));
    ExpectVectorEq({2, 3, 4, 1}, parts.k);
    ExpectQuaternionEq({0, 0, 0, 1}, parts.q);
    EXPECT_NEAR(1.0, std::fabs(parts.u.w), 1e-7);
    EXPECT_EQ(1.0f, parts.f);
}

TEST(GeomDecomposeAffine, MirrorBecomesHalfTurnAndNegativeSign) {
    const AffineDecomposition parts = Decompose(Diagonal(-1, 1, 1));
    EXPECT_EQ(-1.0f, parts.f);
    ExpectVectorEq({1, 1, 1, 1}, parts.k);
    ExpectQuaternionEq({1, 0, 0, 0}, parts.q);
}

TEST(GeomDecomposeAffine, ZeroMatrix) {
    Matrix4 zero = {};
    zero.m[15] = 1;
    const AffineDecomposition parts = Decompose(zero);
    EXPECT_EQ(1.0f, parts.f);
    ExpectQuaternionEq({0, 0, 0, 1}, parts.q);
    ExpectVectorEq({0, 0, 0, 1}, parts.k);
    ExpectVectorEq({0, 0, 0, 0}, parts.t);
}

TEST(GeomDecomposeAffine, NaNGivesNaNAndReturns) {
    Matrix4 m = kIdentityMatrix;
    m.m[5] = std::numeric_limits<float>::quiet_NaN();
    const AffineDecomposition parts = Decompose(m);
    EXPECT_TRUE(std::isnan(parts.q.w));
    EXPECT_EQ(0.0f, parts.t.x);
}

TEST(GeomDecomposeAffine, RotationTimesAxisScaleRecovered) {
    Random random(4242);
    for (int n = 0; n < 2000; ++n) {
        const Quaternion rotation = random.UnitQuaternion();
        const float scale[3] = {random.Uniform(0.05f, 10), random.Uniform(0.05f, 10), random.Uniform(0.05f, 10)};
        const float sign = n % 3 == 0 ? -1.0f : 1.0f;  // every third one mirrors
        const float move[3] = {random.Uniform(-100, 100), random.Uniform(-100, 100), random.Uniform(-100, 100)};
        Matrix4 m;
        MatrixMultiply(RotationOf(rotation), Diagonal(sign * scale[0], scale[1], scale[2]), &m);
        m.m[3] = move[0];
        m.m[7] = move[1];
        m.m[11] = move[2];

        const AffineDecomposition parts = Decompose(m);
        ASSERT_EQ(sign, parts.f) << n;
        ASSERT_EQ(move[0], parts.t.x);
        ASSERT_EQ(move[1], parts.t.y);
        ASSERT_EQ(move[2], parts.t.z);
        ASSERT_EQ(0.0f, parts.t.w);
        ASSERT_EQ(1.0f, parts.k.w);
        // A stretch along the rotation's own axes: the factors come back in
        // axis order and the stretch rotation is (nearly) the identity.
        for (int i = 0; i < 3; ++i) ASSERT_NEAR(scale[i], (&parts.k.x)[i], 2e-5 * scale[i] + 1e-6) << n;
        ASSERT_NEAR(1.0, std::fabs(parts.u.w), 1e-5) << n;
        // T*R(q)*S(f*k) gives the matrix back.
        const Matrix4 again = Recompose(parts);
        for (int i = 0; i < 12; ++i) ASSERT_NEAR(m.m[i], again.m[i], 1e-4 * (1 + std::fabs(m.m[i]))) << n;
        if (sign > 0) {
            ASSERT_LT(QuaternionDistance(rotation, parts.q), 1e-4) << n;
        }
    }
}

TEST(GeomDecomposeAffine, GeneralMatricesRecompose) {
    Random random(555);
    for (int n = 0; n < 2000; ++n) {
        Matrix4 m = random.General(3.0f);
        m.m[12] = m.m[13] = m.m[14] = 0;
        m.m[15] = 1;
        const AffineDecomposition parts = Decompose(m);
        ASSERT_EQ(Determinant3(m) < 0 ? -1.0f : 1.0f, parts.f) << n;
        const double qNorm = std::sqrt(static_cast<double>(parts.q.x) * parts.q.x + parts.q.y * parts.q.y +
                                       parts.q.z * parts.q.z + parts.q.w * parts.q.w);
        const double uNorm = std::sqrt(static_cast<double>(parts.u.x) * parts.u.x + parts.u.y * parts.u.y +
                                       parts.u.z * parts.u.z + parts.u.w * parts.u.w);
        ASSERT_NEAR(1.0, qNorm, 1e-5) << n;
        ASSERT_NEAR(1.0, uNorm, 1e-5) << n;
        ASSERT_GE(parts.k.x, -1e-5f);
        ASSERT_GE(parts.k.y, -1e-5f);
        ASSERT_GE(parts.k.z, -1e-5f);
        const Matrix4 again = Recompose(parts);
        for (int i = 0; i < 12; ++i) ASSERT_NEAR(m.m[i], again.m[i], 1e-4) << n << " element " << i;
    }
}

TEST(GeomDecomposeAffine, RankDeficientMatricesRecompose) {
    Random random(808);
    for (int n = 0; n < 1000; ++n) {
        const Matrix4 rotation = random.Rotation();
        Matrix4 m;
        const float a = random.Uniform(-3, 3), b = random.Uniform(-3, 3);
        MatrixMultiply(rotation, n % 2 ? Diagonal(a, b, 0) : Diagonal(0, a, 0), &m);
        const AffineDecomposition parts = Decompose(m);
        ASSERT_EQ(1.0f, parts.f) << n;
        const Matrix4 again = Recompose(parts);
        for (int i = 0; i < 12; ++i) ASSERT_NEAR(m.m[i], again.m[i], 1e-4) << n << " element " << i;
    }
}

}  // namespace
