#include "geom/matrix3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geom_test_support.h"

using namespace geomtest;

namespace {

// The reflection I - u*u^T as a matrix.
Matrix4 ReflectionOf(const Vector3& u) {
    Matrix4 h = kIdentityMatrix;
    ReflectColumns3x3(&h, u);
    return h;
}

TEST(GeomMatrix3, ProductTouchesOnlyTheUpperBlock) {
    const Matrix4 a = Rows({1, 2, 3, 9, 4, 5, 6, 9, 7, 8, 9, 9, 9, 9, 9, 9});
    const Matrix4 b = Rows({1, 0, 1, 7, 0, 1, 1, 7, 1, 1, 0, 7, 7, 7, 7, 7});
    Matrix4 ab;
    for (float& e : ab.m) e = -1;
    MatrixProduct3x3(a, b, &ab);
    const Matrix4 expected = Rows({4, 5, 3, -1, 10, 11, 9, -1, 16, 17, 15, -1, -1, -1, -1, -1});
    for (int i = 0; i < 16; ++i) EXPECT_EQ(expected.m[i], ab.m[i]) << "element " << i;
}

TEST(GeomMatrix3, AdjointTransposeIsDeterminantTimesInverseTranspose) {
    Random random(5);
    for (int n = 0; n < 100; ++n) {
        const Matrix4 m = random.General(2.0f);
        Matrix4 e = kIdentityMatrix;
        AdjointTranspose3x3(m, &e);
        // m * e^T = det(m) * I
        const double det = Determinant3(m);
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                for (int k = 0; k < 3; ++k) sum += static_cast<double>(m.m[4 * r + k]) * e.m[4 * c + k];
                ASSERT_NEAR(r == c ? det : 0.0, sum, 1e-4);
            }
        }
    }
}

TEST(GeomMatrix3, NormsTakeLargestSumAndSkipNaN) {
    const Matrix4 m = Rows({1, -2, 0, 100, 3, 0, -4, 100, 0, 5, 0, 100, 100, 100, 100, 100});
    EXPECT_EQ(7.0f, InfinityNorm3x3(m));  // row 1: 3 + 4
    EXPECT_EQ(7.0f, OneNorm3x3(m));       // column 1: 2 + 5
    Matrix4 withNaN = m;
    withNaN.m[5] = std::numeric_limits<float>::quiet_NaN();  // row 1, column 1
    EXPECT_EQ(5.0f, InfinityNorm3x3(withNaN));
    EXPECT_EQ(4.0f, OneNorm3x3(withNaN));
    Matrix4 allNaN;
    for (float& e : allNaN.m) e = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(0.0f, InfinityNorm3x3(allNaN));
    EXPECT_EQ(0.0f, OneNorm3x3(allNaN));
}

TEST(GeomMatrix3, LargestEntryColumn) {
    Matrix4 zero = {};
    zero.m[3] = zero.m[15] = 9;  // outside the block
    EXPECT_EQ(-1, LargestEntryColumn3x3(zero));
    // -5 in row 0, column 2 and 5 in row 1, column 0: the first in row order wins.
    EXPECT_EQ(2, LargestEntryColumn3x3(Rows({1, 0, -5, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})));
    EXPECT_EQ(1, LargestEntryColumn3x3(Rows({1, 0, 0, 0, 0, 0, 0, 0, 0, -6, 0, 0, 0, 0, 0, 0})));
}

TEST(GeomMatrix3, HouseholderReflectorTakesVectorToTheZAxis) {
    const Vector3 vectors[] = {{3, 4, 12}, {3, 4, -12}, {1, 0, 0}, {0, 0, 0.5f}, {1e-30f, -2e-30f, 0}, {1e30f, 1e30f, 0}};
    for (const Vector3& v : vectors) {
        Vector3 u;
        HouseholderReflector(v, &u);
        EXPECT_NEAR(2.0, DotProduct(u, u), 1e-6);
        const Matrix4 h = ReflectionOf(u);
        Vector3 image;
        TransformPoint(v, h, &image);
        const double length = std::sqrt(static_cast<double>(v.x) * v.x + static_cast<double>(v.y) * v.y +
                                        static_cast<double>(v.z) * v.z);
        EXPECT_NEAR(0.0, image.x / length, 1e-6);
        EXPECT_NEAR(0.0, image.y / length, 1e-6);
        EXPECT_NEAR(v.z < 0 ? 1.0 : -1.0, image.z / length, 1e-6);
    }
    Vector3 u = {0, 0, 0};
    HouseholderReflector(u, &u);
    EXPECT_EQ(0.0f, u.x);
    EXPECT_EQ(0.0f, u.y);
    EXPECT_EQ(0.0f, u.z);
}

TEST(GeomMatrix3, ReflectColumnsAndRowsMultiplyByTheReflection) {
    Random random(3);
    Vector3 u;
    HouseholderReflector({0.3f, -0.2f, 0.9f}, &u);
    const Matrix4 h = ReflectionOf(u);
    Matrix4 square = kIdentityMatrix;
    MatrixProduct3x3(h, h, &square);
    EXPECT_LT(Difference3(kIdentityMatrix, square), 1e-6);

    const Matrix4 m = random.General(1.0f);
    Matrix4 columns = m, rows = m, expected = kIdentityMatrix;
    ReflectColumns3x3(&columns, u);
    MatrixProduct3x3(h, m, &expected);
    EXPECT_LT(Difference3(expected, columns), 1e-6);
    ReflectRows3x3(&rows, u);
    MatrixProduct3x3(m, h, &expected);
    EXPECT_LT(Difference3(expected, rows), 1e-6);
    EXPECT_EQ(m.m[3], columns.m[3]);
    EXPECT_EQ(m.m[12], rows.m[12]);
}

}  // namespace
