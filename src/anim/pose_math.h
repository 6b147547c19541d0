// Arithmetic of pose evaluation: rotation matrices from quaternions, products
// of affine matrices, and interpolation between keys.
#pragma once

#include "geom/matrix4.h"
#include "geom/quaternion.h"
#include "geom/vector3.h"

// The rotation matrix of q (bottom row and last column those of the
// identity). q is taken as it is: a quaternion that is not of unit length
// gives a matrix that is not a pure rotation.
void QuaternionToMatrix(const Quaternion& q, Matrix4* out);

// T(translation) x R(rotation): the rotation matrix with the translation in
// elements 3, 7 and 11.
void TranslationRotationMatrix(const Vector3& translation, const Quaternion& rotation, Matrix4* out);

// diag(scale.x, scale.y, scale.z, 1).
void ScaleMatrix(const Vector3& scale, Matrix4* out);

// a x b with both taken as affine (bottom rows read as 0, 0, 0, 1); the
// result has the bottom row 0, 0, 0, 1. out may be a or b.
void AffineMultiply(const Matrix4& a, const Matrix4& b, Matrix4* out);

// a + (b - a) x f per component.
void LerpVector(const Vector3& a, const Vector3& b, float f, Vector3* out);

// Spherical interpolation from q0 (f = 0) to q1 (f = 1) along the shorter
// arc, in single precision; nearly equal quaternions are blended linearly.
// The result is not renormalised.
void SlerpQuaternion(const Quaternion& q0, const Quaternion& q1, float f, Quaternion* out);
