#include "geom/polar_decomposition.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "geom_test_support.h"

using namespace geomtest;

namespace {

void ExpectPadded(const Matrix4& m) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(0.0f, m.m[4 * i + 3]);
        EXPECT_EQ(0.0f, m.m[12 + i]);
    }
    EXPECT_EQ(1.0f, m.m[15]);
}

// Q orthonormal with determinant +1, S symmetric positive semi-definite and
// Q*S equal to m, within a tolerance scaled to the size of m.
void ExpectRotationTimesStretch(const Matrix4& m, const Matrix4& q, const Matrix4& s, double sign) {
    Matrix4 qtq = kIdentityMatrix;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            double sum = 0;
            for (int k = 0; k < 3; ++k) sum += static_cast<double>(q.m[4 * k + r]) * q.m[4 * k + c];
            qtq.m[4 * r + c] = static_cast<float>(sum);
        }
    }
    EXPECT_LT(Difference3(kIdentityMatrix, qtq), 1e-5);
    EXPECT_NEAR(sign, Determinant3(q), 1e-5);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) EXPECT_EQ(s.m[4 * r + c], s.m[4 * c + r]);
    }
    double size = 0;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) size = std::fmax(size, std::fabs(m.m[4 * r + c]));
    }
    double product[16];
    ReferenceProduct(q, s, product);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(m.m[4 * r + c], product[4 * r + c], 2e-6 * (1 + size));
    }
    // Positive semi-definite: x^T S x >= 0 on the axes and the diagonals.
    const float probes[][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {1, -1, 0}, {0, 1, 1},
                               {0, 1, -1}, {1, 0, 1}, {1, 0, -1}, {1, 1, 1}, {1, -1, 1}};
    for (const auto& x : probes) {
        double form = 0;
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) form += x[r] * static_cast<double>(s.m[4 * r + c]) * x[c];
        }
        EXPECT_GE(form, -2e-6 * (1 + size));
    }
}

TEST(GeomPolarDecompose, IdentityTakesOneIteration) {
    Matrix4 q, s;
    int iterations = 0;
    EXPECT_EQ(1.0f, PolarDecompose(kIdentityMatrix, &q, &s, &iterations));
    EXPECT_EQ(1, iterations);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(kIdentityMatrix.m[i], q.m[i]);
        EXPECT_EQ(kIdentityMatrix.m[i], s.m[i]);
    }
}

TEST(GeomPolarDecompose, AxisScaleConvergesToExactIdentity) {
    Matrix4 q, s;
    int iterations = 0;
    EXPECT_GT(PolarDecompose(Diagonal(2, 3, 4), &q, &s, &iterations), 0.0f);
    EXPECT_EQ(4, iterations);
    const Matrix4 stretch = Diagonal(2, 3, 4);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(kIdentityMatrix.m[i], q.m[i]) << "element " << i;
        EXPECT_EQ(stretch.m[i], s.m[i]) << "element " << i;
    }
}

TEST(GeomPolarDecompose, MirrorKeepsItsSignInTheDeterminant) {
    Matrix4 q, s;
    int iterations = 0;
    EXPECT_LT(PolarDecompose(Diagonal(-1, 1, 1), &q, &s, &iterations), 0.0f);
    EXPECT_EQ(1, iterations);
    const Matrix4 mirror = Diagonal(-1, 1, 1);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(mirror.m[i], q.m[i]);
        EXPECT_EQ(kIdentityMatrix.m[i], s.m[i]);
    }
}

TEST(GeomPolarDecompose, OnlyTheUpper3x3IsReadAndResultsArePadded) {
    Random random(21);
    const Matrix4 rotation = random.Rotation();
    Matrix4 m = rotation;
    m.m[3] = 7;
    m.m[7] = -8;
    m.m[11] = 9;
    m.m[12] = 5;
    m.m[15] = 3;
    Matrix4 q, s, q0, s0;
    for (float& e : q.m) e = 42;
    for (float& e : s.m) e = 42;
    PolarDecompose(m, &q, &s);
    PolarDecompose(rotation, &q0, &s0);
    ExpectPadded(q);
    ExpectPadded(s);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(q0.m[i], q.m[i]);
        EXPECT_EQ(s0.m[i], s.m[i]);
    }
}

TEST(GeomPolarDecompose, ZeroMatrixFallsToTheIdentity) {
    Matrix4 zero = {};
    Matrix4 q, s;
    int iterations = 0;
    EXPECT_EQ(0.0f, PolarDecompose(zero, &q, &s, &iterations));
    EXPECT_EQ(1, iterations);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(kIdentityMatrix.m[i], q.m[i]);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(0.0f, s.m[i]);
    EXPECT_EQ(1.0f, s.m[15]);
}

TEST(GeomPolarDecompose, RankDeficientMatricesGiveRotations) {
    // Rank 2 with a positive and a negative 2x2 block, and rank 1 with a
    // positive and a negative entry: the orthogonal factor is a rotation in
    // every case (the null direction is free and is chosen to keep it proper).
    const Matrix4 cases[] = {Diagonal(2, 3, 0), Diagonal(-1, 1, 0), Diagonal(0, -2, 5), Diagonal(2, 0, 0),
                             Diagonal(-2, 0, 0), Diagonal(0, 0, -3),
                             Rows({1, 2, 3, 0, 2, 4, 6, 0, -1, -2, -3, 0, 0, 0, 0, 1}),   // rank 1
                             Rows({1, 2, 3, 0, 4, 5, 6, 0, 5, 7, 9, 0, 0, 0, 0, 1})};     // rank 2
    for (const Matrix4& m : cases) {
        Matrix4 q, s;
        EXPECT_EQ(0.0f, PolarDecompose(m, &q, &s));
        ExpectRotationTimesStretch(m, q, s, 1.0);
    }
    // A positive axis scale with two zero factors keeps the identity.
    Matrix4 q, s;
    PolarDecompose(Diagonal(2, 0, 0), &q, &s);
    EXPECT_LT(Difference3(kIdentityMatrix, q), 1e-6);
}

TEST(GeomPolarDecompose, NonFiniteEntriesLeaveAfterOneIteration) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Matrix4 cases[] = {Rows({nan, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}),
                             Rows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, inf, 0, 0, 0, 0, 1}),
                             Rows({1, 2, 3, 0, 4, -inf, 6, 0, 7, 8, nan, 0, 0, 0, 0, 1}),
                             Rows({nan, nan, nan, 0, nan, nan, nan, 0, nan, nan, nan, 0, 0, 0, 0, 1})};
    for (const Matrix4& m : cases) {
        Matrix4 q, s;
        int iterations = 0;
        PolarDecompose(m, &q, &s, &iterations);
        EXPECT_EQ(1, iterations);
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) EXPECT_TRUE(std::isnan(q.m[4 * r + c]));
        }
        ExpectPadded(q);
    }
}

TEST(GeomPolarDecompose, ExtremeScalesTerminate) {
    // Finite matrices whose iterates leave float range end with NaNs instead of
    // running on; tiny ones are exactly singular in float and fall to the
    // rank-deficient factors.
    const Matrix4 cases[] = {Diagonal(1e30f, 1e-15f, 1e-15f), Diagonal(3e38f, 3e38f, 3e38f), Diagonal(1e-30f, 1e-30f, 1e-30f),
                             Diagonal(1e-25f, 0, 0)};
    for (const Matrix4& m : cases) {
        Matrix4 q, s;
        int iterations = 0;
        PolarDecompose(m, &q, &s, &iterations);
        EXPECT_LE(iterations, 3);
    }
    Matrix4 q, s;
    EXPECT_EQ(0.0f, PolarDecompose(Diagonal(1e-25f, 0, 0), &q, &s));
    EXPECT_LT(Difference3(kIdentityMatrix, q), 1e-6);
}

TEST(GeomPolarDecompose, RandomMatricesFactorIntoRotationAndStretch) {
    Random random(2024);
    int worstIterations = 0;
    for (int n = 0; n < 3000; ++n) {
        Matrix4 m;
        switch (n % 5) {
            case 0:  // general
                m = random.General(4.0f);
                break;
            case 1: {  // rotation times a stretch along other axes, mirrored half the time
                Matrix4 stretch = Diagonal(random.Uniform(0.1f, 5), random.Uniform(0.1f, 5), random.Uniform(0.1f, 5));
                if (n % 2) stretch.m[5] = -stretch.m[5];
                Matrix4 left = random.Rotation(), right = random.Rotation();
                MatrixMultiply(left, stretch, &m);
                MatrixMultiply(m, right, &m);
                break;
            }
            case 2: {  // near-singular
                Matrix4 left = random.Rotation(), right = random.Rotation();
                MatrixMultiply(left, Diagonal(random.Uniform(0.5f, 2), random.Uniform(0.5f, 2), 1e-6f), &m);
                MatrixMultiply(m, right, &m);
                break;
            }
            case 3:  // rank 2, exactly: the third column is zero
                MatrixMultiply(random.Rotation(), Diagonal(random.Uniform(-3, 3), random.Uniform(0.1f, 3), 0), &m);
                break;
            default:  // rank 1, exactly
                MatrixMultiply(random.Rotation(), Diagonal(random.Uniform(-3, 3), 0, 0), &m);
                break;
        }
        Matrix4 q, s;
        int iterations = 0;
        const float det = PolarDecompose(m, &q, &s, &iterations);
        worstIterations = std::max(worstIterations, iterations);
        if (n % 5 >= 3) {
            EXPECT_EQ(0.0f, det) << n;
        }
        const double expectedSign = det < 0 ? -1.0 : 1.0;
        if (n % 5 < 2) {
            EXPECT_EQ(Determinant3(m) < 0, det < 0) << n;
        }
        ExpectRotationTimesStretch(m, q, s, expectedSign);
        if (testing::Test::HasFailure()) {
            ADD_FAILURE() << "case " << n;
            return;
        }
    }
    EXPECT_LE(worstIterations, 12);
}

}  // namespace
