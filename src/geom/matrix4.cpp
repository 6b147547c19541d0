#include "geom/matrix4.h"

void MatrixInverse(const Matrix4& matrix, Matrix4* out) {
    const float* m = matrix.m;
    // 2x2 determinants of the top two rows and of the bottom two rows; every
    // cofactor is a combination of three of them.
    const float s0 = m[0] * m[5] - m[4] * m[1];
    const float s1 = m[0] * m[6] - m[4] * m[2];
    const float s2 = m[0] * m[7] - m[4] * m[3];
    const float s3 = m[1] * m[6] - m[5] * m[2];
    const float s4 = m[1] * m[7] - m[5] * m[3];
    const float s5 = m[2] * m[7] - m[6] * m[3];
    const float c0 = m[8] * m[13] - m[12] * m[9];
    const float c1 = m[8] * m[14] - m[12] * m[10];
    const float c2 = m[8] * m[15] - m[12] * m[11];
    const float c3 = m[9] * m[14] - m[13] * m[10];
    const float c4 = m[9] * m[15] - m[13] * m[11];
    const float c5 = m[10] * m[15] - m[14] * m[11];

    const float det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    if (det == 0.0f) {
        *out = kIdentityMatrix;
        return;
    }

    Matrix4 adjugate;
    float* a = adjugate.m;
    a[0] = m[5] * c5 - m[6] * c4 + m[7] * c3;
    a[1] = -m[1] * c5 + m[2] * c4 - m[3] * c3;
    a[2] = m[13] * s5 - m[14] * s4 + m[15] * s3;
    a[3] = -m[9] * s5 + m[10] * s4 - m[11] * s3;
    a[4] = -m[4] * c5 + m[6] * c2 - m[7] * c1;
    a[5] = m[0] * c5 - m[2] * c2 + m[3] * c1;
    a[6] = -m[12] * s5 + m[14] * s2 - m[15] * s1;
    a[7] = m[8] * s5 - m[10] * s2 + m[11] * s1;
    a[8] = m[4] * c4 - m[5] * c2 + m[7] * c0;
    a[9] = -m[0] * c4 + m[1] * c2 - m[3] * c0;
    a[10] = m[12] * s4 - m[13] * s2 + m[15] * s0;
    a[11] = -m[8] * s4 + m[9] * s2 - m[11] * s0;
    a[12] = -m[4] * c3 + m[5] * c1 - m[6] * c0;
    a[13] = m[0] * c3 - m[1] * c1 + m[2] * c0;
    a[14] = -m[12] * s3 + m[13] * s1 - m[14] * s0;
    a[15] = m[8] * s3 - m[9] * s1 + m[10] * s0;

    const float reciprocal = 1.0f / det;
    for (float& element : adjugate.m) element *= reciprocal;
    *out = adjugate;
}
