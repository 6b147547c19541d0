// Polar decomposition of a 3x3 matrix, M = Q*S with Q orthogonal and S
// symmetric positive semi-definite, by scaled Newton iteration on the adjoint.
#pragma once

#include "geom/matrix4.h"

// Decomposes the upper 3x3 of m. q and s come back padded to 4x4 (last row and
// column 0, 0, 0, 1). Answers the determinant of the last iterate, whose sign
// is that of det(m), and exactly 0 when m is singular; for a singular m, q is
// still a rotation. iterations, when given, receives the number of Newton steps
// taken (the step that finds a zero determinant included).
float PolarDecompose(const Matrix4& m, Matrix4* q, Matrix4* s, int* iterations = nullptr);
