// Double-precision matrix helpers of the model-file converter: conversion
// from the library's single-precision matrices, composition and
// decomposition into translation, rotation and scale, and the even part of a
// bind with an uneven stretch.
#pragma once

// The library's vector, matrix and quaternion types with their definitions.
#include <assimp/types.h>

namespace assimp_rig {

using Matrix = aiMatrix4x4t<double>;
using Vec = aiVector3t<double>;
using Quat = aiQuaterniont<double>;

struct Trs {
    Vec t;
    Quat r;
    Vec s{1, 1, 1};
};

// `m` with its translation multiplied by `scale`.
Matrix ToDouble(const aiMatrix4x4& m, double scale);
// The inverse; the identity for a singular matrix (the library's own
// inverse gives NaNs there).
Matrix Inverted(Matrix m);
void ToFloats(const Matrix& m, float out[16]);
// T(t) R(r) S(s). (The library's own constructor from these three scales
// the rows, not the columns.)
Matrix Compose(const Vec& s, const Quat& r, const Vec& t);
Trs Decompose(const Matrix& m);
double Largest(const Matrix& m);
bool Near(const Matrix& a, const Matrix& b, double tolerance);
// True when m is translation x rotation x a positive uniform scale.
bool EvenTransform(const Matrix& m, Trs* trs);
// For a bind with an uneven stretch: m = T x R x (U D Uᵀ) (polar form);
// answers T x (R U) x s̄, s̄ the geometric mean of D. The host's rest
// transforms and keys hold rotations and scales along their own axes only:
// with this bind and its correction m⁻¹ x even = U D⁻¹ s̄ on the right, each
// key is a rotation times a scale along the key's axes again. False for a
// mirroring or singular bind.
bool EvenPart(const Matrix& m, Matrix* even);

}  // namespace assimp_rig
