// Quaternions (x, y, z, w), w the scalar part; a rotation is a unit
// quaternion and the identity is (0, 0, 0, 1).
#pragma once

#include "geom/matrix4.h"

struct Quaternion {
    float x, y, z, w;
};

inline constexpr Quaternion kIdentityQuaternion = {0, 0, 0, 1};

inline Quaternion MakeQuaternion(float x, float y, float z, float w) { return {x, y, z, w}; }

// (-x, -y, -z, w); each negation flips the sign bit only.
inline void QuaternionConjugate(const Quaternion& q, Quaternion* out) { *out = {-q.x, -q.y, -q.z, q.w}; }

// left*right: rotates by right first, then by left. out may be an input.
inline void QuaternionMultiply(const Quaternion& left, const Quaternion& right, Quaternion* out) {
    const Quaternion& l = left;
    const Quaternion& r = right;
    const float w = l.w * r.w - l.x * r.x - l.y * r.y - l.z * r.z;
    const float x = l.w * r.x + l.x * r.w + l.y * r.z - l.z * r.y;
    const float y = l.w * r.y + l.y * r.w + l.z * r.x - l.x * r.z;
    const float z = l.w * r.z + l.z * r.w + l.x * r.y - l.y * r.x;
    *out = {x, y, z, w};
}

inline void QuaternionScale(const Quaternion& q, float factor, Quaternion* out) {
    *out = {q.x * factor, q.y * factor, q.z * factor, q.w * factor};
}

// The rotation in the upper 3x3 of a matrix (column vectors, right-handed),
// scaled by 1/sqrt(M(3,3)) when that element is not 1.
void QuaternionFromMatrix(const Matrix4& matrix, Quaternion* out);
