// Spectral decomposition of a symmetric 3x3 matrix, S = U*K*U^T, and the
// adjustment of the stretch axes that keeps the stretch rotation small.
#pragma once

#include "geom/matrix4.h"
#include "geom/quaternion.h"
#include "geom/vector3.h"

// Cyclic Jacobi rotations (at most 20 sweeps) on the upper 3x3 of the
// symmetric s. u receives the rotation of the axes (a Matrix4 that starts as
// the identity), k the stretch factors (x, y, z) with w = 1.
void SpectralDecompose(const Matrix4& s, Matrix4* u, Vector4* k);

// Given the stretch rotation u and its factors k, finds the quaternion p that
// permutes the axes (and turns freely in the plane of equal factors) so that
// u*p has the largest possible w; permutes k to match. k->w is left as it is.
void AdjustSpectralAxes(const Quaternion& u, Vector4* k, Quaternion* p);
