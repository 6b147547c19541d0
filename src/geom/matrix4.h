// 4x4 single-precision matrices: sixteen floats row by row (element 4*r + c
// is row r, column c), acting on column vectors, p' = M*p. An affine matrix
// keeps its translation in elements 3, 7 and 11 and has the bottom row
// (0, 0, 0, 1). Applying B first and then A is the product A*B.
#pragma once

#include <cstring>

#include "geom/vector3.h"

struct Matrix4 {
    float m[16];
};

inline constexpr Matrix4 kIdentityMatrix = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

// Element at row r, column c.
inline float& At(Matrix4& matrix, int r, int c) { return matrix.m[4 * r + c]; }
inline float At(const Matrix4& matrix, int r, int c) { return matrix.m[4 * r + c]; }

// The host keeps its matrices as plain arrays of sixteen floats in the same layout.
inline void MatrixFromFloats(const float* values, Matrix4* out) { std::memcpy(out->m, values, sizeof out->m); }
inline void MatrixToFloats(const Matrix4& matrix, float* values) { std::memcpy(values, matrix.m, sizeof matrix.m); }

// a*b over all four rows and columns; out may be a or b.
inline void MatrixMultiply(const Matrix4& a, const Matrix4& b, Matrix4* out) {
    Matrix4 product;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            At(product, i, j) = At(a, i, 0) * At(b, 0, j) + At(a, i, 1) * At(b, 1, j) + At(a, i, 2) * At(b, 2, j) +
                                At(a, i, 3) * At(b, 3, j);
        }
    }
    *out = product;
}

// The full 4x4 inverse (adjugate over determinant); the identity when the
// determinant is exactly 0. out may be the input.
void MatrixInverse(const Matrix4& matrix, Matrix4* out);

// M*p by the upper three rows; the bottom row is ignored. out may be p.
inline void TransformPoint(const Vector3& p, const Matrix4& matrix, Vector3* out) {
    const float* m = matrix.m;
    const float x = m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3];
    const float y = m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7];
    const float z = m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11];
    *out = {x, y, z};
}
