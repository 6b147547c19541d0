#include "geom/quaternion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geom_test_support.h"

using namespace geomtest;

namespace {

TEST(GeomQuaternionFromMatrix, KnownRotations) {
    Quaternion q;
    QuaternionFromMatrix(kIdentityMatrix, &q);
    ExpectQuaternionEq({0, 0, 0, 1}, q);

    // Rows (1, 0, 0), (0, 0, 1), (0, -1, 0): a quarter turn about x, y to -z.
    QuaternionFromMatrix(Rows({1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1}), &q);
    ExpectQuaternionEq({-0.70710677f, 0, 0, 0.70710677f}, q);

    // Half turn about z: negative trace, the z diagonal entry is the largest.
    QuaternionFromMatrix(Diagonal(-1, -1, 1), &q);
    ExpectQuaternionEq({0, 0, 1, 0}, q);
    // About x and y: the lower axis wins where two diagonal entries tie.
    QuaternionFromMatrix(Diagonal(1, -1, -1), &q);
    ExpectQuaternionEq({1, 0, 0, 0}, q);
    QuaternionFromMatrix(Diagonal(-1, 1, -1), &q);
    ExpectQuaternionEq({0, 1, 0, 0}, q);
}

TEST(GeomQuaternionFromMatrix, RecoversRandomRotationsOnEveryBranch) {
    Random random(7);
    int branchCount[4] = {};  // trace >= 0, then largest diagonal x, y, z
    for (int n = 0; n < 2000; ++n) {
        const Quaternion expected = random.UnitQuaternion();
        const Matrix4 rotation = RotationOf(expected);
        const float trace = rotation.m[0] + rotation.m[5] + rotation.m[10];
        int branch = 0;
        if (trace < 0) {
            branch = 1;
            if (rotation.m[5] > rotation.m[0]) branch = 2;
            if (rotation.m[10] > rotation.m[5 * (branch - 1)]) branch = 3;
        }
        ++branchCount[branch];
        Quaternion q;
        QuaternionFromMatrix(rotation, &q);
        ASSERT_LT(QuaternionDistance(expected, q), 2e-6) << n;
    }
    for (int count : branchCount) EXPECT_GT(count, 100);
}

TEST(GeomQuaternion, ProductComposesRightThenLeft) {
    Quaternion k;
    QuaternionMultiply({1, 0, 0, 0}, {0, 1, 0, 0}, &k);  // i * j = k
    ExpectQuaternionEq({0, 0, 1, 0}, k);

    Random random(11);
    for (int n = 0; n < 200; ++n) {
        const Quaternion left = random.UnitQuaternion();
        const Quaternion right = random.UnitQuaternion();
        Quaternion product;
        QuaternionMultiply(left, right, &product);
        Matrix4 composed;
        MatrixMultiply(RotationOf(left), RotationOf(right), &composed);
        ASSERT_LT(Difference3(composed, RotationOf(product)), 2e-6) << n;

        Quaternion inPlace = left;
        QuaternionMultiply(inPlace, right, &inPlace);
        ExpectQuaternionEq(product, inPlace);
    }
}

TEST(GeomQuaternion, ConjugateFlipsSignBitsAndScaleMultipliesAll) {
    Quaternion c;
    QuaternionConjugate({0, 2, -3, 4}, &c);
    EXPECT_TRUE(std::signbit(c.x));
    EXPECT_EQ(-2.0f, c.y);
    EXPECT_EQ(3.0f, c.z);
    EXPECT_EQ(4.0f, c.w);

    Quaternion product;
    const Quaternion q = {0.5f, -0.5f, 0.5f, 0.5f};
    QuaternionConjugate(q, &c);
    QuaternionMultiply(q, c, &product);
    ExpectQuaternionEq({0, 0, 0, 1}, product);

    Quaternion scaled;
    QuaternionScale(MakeQuaternion(1, -2, 3, -4), 0.5f, &scaled);
    ExpectQuaternionEq({0.5f, -1, 1.5f, -2}, scaled);
}

}  // namespace
