// Operations on the upper-left 3x3 block of a Matrix4 (rows and columns 0 to
// 2), used by the affine decomposition. They leave the other seven elements
// of their output as they were.
#pragma once

#include "geom/matrix4.h"
#include "geom/vector3.h"

inline Vector3 Row3(const Matrix4& matrix, int r) { return {At(matrix, r, 0), At(matrix, r, 1), At(matrix, r, 2)}; }
inline Vector3 Column3(const Matrix4& matrix, int c) { return {At(matrix, 0, c), At(matrix, 1, c), At(matrix, 2, c)}; }

// 3x3 product a*b; out must be neither a nor b.
void MatrixProduct3x3(const Matrix4& a, const Matrix4& b, Matrix4* out);
// The transpose of the inverse times the determinant: rows row1 x row2,
// row2 x row0, row0 x row1. out must not be the input.
void AdjointTranspose3x3(const Matrix4& matrix, Matrix4* out);
// Largest absolute row sum (infinity norm) and column sum (one norm). A sum
// that is not a number is never taken, so a matrix of NaNs has norm 0.
float InfinityNorm3x3(const Matrix4& matrix);
float OneNorm3x3(const Matrix4& matrix);
// Column of the entry of largest magnitude, scanning row by row; the first
// wins a tie. -1 when every entry is 0.
int LargestEntryColumn3x3(const Matrix4& matrix);
// The vector u of the Householder reflection I - u*u^T that takes v onto the
// z axis (u*u = 2). out may be v.
void HouseholderReflector(const Vector3& v, Vector3* out);
// Apply the reflection to every column (matrix <- H*matrix) or every row
// (matrix <- matrix*H).
void ReflectColumns3x3(Matrix4* matrix, const Vector3& u);
void ReflectRows3x3(Matrix4* matrix, const Vector3& u);
