// Decomposition of an affine matrix A = T*F*R*U*K*U^T: translation T, sign F
// of the determinant, rotation R, stretch axes U and stretch factors K.
#pragma once

#include "geom/matrix4.h"
#include "geom/quaternion.h"
#include "geom/vector3.h"

struct AffineDecomposition {
    Vector4 t;     // translation, w = 0
    Quaternion q;  // rotation R
    Quaternion u;  // stretch axes U, after the axis adjustment
    Vector4 k;     // stretch factors, permuted with the axes, w = 1
    float f;       // -1 or +1
};

// Decomposes the upper 3x4 of a; every field of out is written.
void DecomposeAffine(const Matrix4& a, AffineDecomposition* out);
