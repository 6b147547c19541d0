#include "geom/matrix4.h"

#include <gtest/gtest.h>

#include "geom_test_support.h"

using namespace geomtest;

namespace {

void ExpectMatrixEq(const Matrix4& expected, const Matrix4& actual) {
    for (int i = 0; i < 16; ++i) EXPECT_EQ(expected.m[i], actual.m[i]) << "element " << i;
}

TEST(GeomMatrixInverse, SingularMatrixGivesIdentity) {
    // Rows 1 and 2 equal: the determinant is exactly 0.
    const Matrix4 singular = Rows({1, 2, 3, 4, 5, 6, 7, 8, 5, 6, 7, 8, 0, 0, 0, 1});
    Matrix4 inverse;
    MatrixInverse(singular, &inverse);
    ExpectMatrixEq(kIdentityMatrix, inverse);

    Matrix4 zero = {};
    MatrixInverse(zero, &zero);
    ExpectMatrixEq(kIdentityMatrix, zero);
}

TEST(GeomMatrixInverse, TranslationAndScaleInvertExactly) {
    Matrix4 inverse;
    MatrixInverse(Translation(1, 2, 3), &inverse);
    ExpectMatrixEq(Translation(-1, -2, -3), inverse);

    MatrixInverse(Diagonal(2, 4, 8), &inverse);
    ExpectMatrixEq(Diagonal(0.5f, 0.25f, 0.125f), inverse);
}

TEST(GeomMatrixInverse, UsesAllSixteenElements) {
    // A bottom row other than (0, 0, 0, 1): an affine shortcut would get this wrong.
    const Matrix4 m = Rows({2, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2});
    Matrix4 inverse;
    MatrixInverse(m, &inverse);
    double product[16];
    ReferenceProduct(m, inverse, product);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(kIdentityMatrix.m[i], product[i], 1e-6) << "element " << i;
    // Worked by hand: det = 3, inverse rows (2, 0, 0, -1), (0, 3, 0, 0), (0, 0, 3, 0), (-1, 0, 0, 2) / 3.
    EXPECT_FLOAT_EQ(2.0f / 3.0f, inverse.m[0]);
    EXPECT_FLOAT_EQ(-1.0f / 3.0f, inverse.m[3]);
    EXPECT_FLOAT_EQ(-1.0f / 3.0f, inverse.m[12]);
    EXPECT_FLOAT_EQ(2.0f / 3.0f, inverse.m[15]);
}

TEST(GeomMatrixInverse, RandomMatricesInvertInPlaceAndOut) {
    Random random(1234);
    for (int n = 0; n < 500; ++n) {
        Matrix4 m = random.General(2.0f);
        Matrix4 inverse;
        MatrixInverse(m, &inverse);
        double product[16];
        ReferenceProduct(m, inverse, product);
        // Random matrices can be badly conditioned; scale the tolerance by the
        // size of the inverse.
        double size = 0;
        for (float e : inverse.m) size = std::fmax(size, std::fabs(e));
        for (int i = 0; i < 16; ++i) ASSERT_NEAR(kIdentityMatrix.m[i], product[i], 1e-5 * (1 + size)) << n;

        MatrixInverse(m, &m);
        ExpectMatrixEq(inverse, m);
    }
}

TEST(GeomMatrixMultiply, AppliesRightOperandFirst) {
    const Matrix4 turn = Rows({0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});  // quarter turn about z
    const Matrix4 move = Translation(5, 0, 0);
    Matrix4 product;
    MatrixMultiply(move, turn, &product);
    Vector3 p;
    TransformPoint({1, 0, 0}, product, &p);  // turned to (0, 1, 0), then moved
    EXPECT_EQ(5.0f, p.x);
    EXPECT_EQ(1.0f, p.y);
    EXPECT_EQ(0.0f, p.z);
    MatrixMultiply(turn, move, &product);
    TransformPoint({1, 0, 0}, product, &p);  // moved to (6, 0, 0), then turned
    EXPECT_EQ(0.0f, p.x);
    EXPECT_EQ(6.0f, p.y);
}

TEST(GeomMatrixMultiply, OutputMayBeEitherOperand) {
    Random random(99);
    for (int n = 0; n < 50; ++n) {
        const Matrix4 a = random.General(3.0f);
        const Matrix4 b = random.General(3.0f);
        Matrix4 fresh;
        MatrixMultiply(a, b, &fresh);
        double reference[16];
        ReferenceProduct(a, b, reference);
        for (int i = 0; i < 16; ++i) ASSERT_NEAR(reference[i], fresh.m[i], 1e-5);

        Matrix4 left = a;
        MatrixMultiply(left, b, &left);
        ExpectMatrixEq(fresh, left);
        Matrix4 right = b;
        MatrixMultiply(a, right, &right);
        ExpectMatrixEq(fresh, right);
        Matrix4 square = a;
        Matrix4 squareFresh;
        MatrixMultiply(a, a, &squareFresh);
        MatrixMultiply(square, square, &square);
        ExpectMatrixEq(squareFresh, square);
    }
}

TEST(GeomTransformPoint, IgnoresBottomRowAndMayWorkInPlace) {
    const Matrix4 affine = Rows({1, 2, 3, 10, 4, 5, 6, 20, 7, 8, 9, 30, 0, 0, 0, 1});
    Matrix4 projective = affine;
    projective.m[12] = 3;
    projective.m[15] = 2;
    Vector3 a, b;
    TransformPoint({1, -1, 2}, affine, &a);
    TransformPoint({1, -1, 2}, projective, &b);
    EXPECT_EQ(1 - 2 + 6 + 10.0f, a.x);
    EXPECT_EQ(4 - 5 + 12 + 20.0f, a.y);
    EXPECT_EQ(7 - 8 + 18 + 30.0f, a.z);
    EXPECT_TRUE(SameBits(a.x, b.x) && SameBits(a.y, b.y) && SameBits(a.z, b.z));

    Vector3 p = {1, -1, 2};
    TransformPoint(p, affine, &p);
    EXPECT_TRUE(SameBits(a.x, p.x) && SameBits(a.y, p.y) && SameBits(a.z, p.z));
}

}  // namespace
