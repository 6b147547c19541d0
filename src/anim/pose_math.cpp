#include "anim/pose_math.h"

#include <cmath>

void QuaternionToMatrix(const Quaternion& q, Matrix4* out) {
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    *out = {{
        1 - 2 * y * y - 2 * z * z, 2 * x * y - 2 * w * z,     2 * x * z + 2 * w * y,     0,
        2 * x * y + 2 * w * z,     1 - 2 * x * x - 2 * z * z, 2 * y * z - 2 * w * x,     0,
        2 * x * z - 2 * w * y,     2 * y * z + 2 * w * x,     1 - 2 * x * x - 2 * y * y, 0,
        0,                         0,                         0,                         1,
    }};
}

void TranslationRotationMatrix(const Vector3& translation, const Quaternion& rotation, Matrix4* out) {
    QuaternionToMatrix(rotation, out);
    out->m[3] = translation.x;
    out->m[7] = translation.y;
    out->m[11] = translation.z;
}

void ScaleMatrix(const Vector3& scale, Matrix4* out) {
    *out = kIdentityMatrix;
    out->m[0] = scale.x;
    out->m[5] = scale.y;
    out->m[10] = scale.z;
}

void AffineMultiply(const Matrix4& a, const Matrix4& b, Matrix4* out) {
    Matrix4 r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 4; ++j) {
            At(r, i, j) = At(a, i, 0) * At(b, 0, j) + At(a, i, 1) * At(b, 1, j) + At(a, i, 2) * At(b, 2, j);
        }
        At(r, i, 3) += At(a, i, 3);
    }
    At(r, 3, 0) = 0;
    At(r, 3, 1) = 0;
    At(r, 3, 2) = 0;
    At(r, 3, 3) = 1;
    *out = r;
}

void LerpVector(const Vector3& a, const Vector3& b, float f, Vector3* out) {
    *out = {a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f};
}

void SlerpQuaternion(const Quaternion& q0, const Quaternion& q1, float f, Quaternion* out) {
    // q1 and -q1 are the same rotation; take the one nearer q0 so the path is
    // the shorter arc.
    const float dx = q0.x - q1.x, dy = q0.y - q1.y, dz = q0.z - q1.z, dw = q0.w - q1.w;
    const float sx = q0.x + q1.x, sy = q0.y + q1.y, sz = q0.z + q1.z, sw = q0.w + q1.w;
    Quaternion b = q1;
    if (dx * dx + dy * dy + dz * dz + dw * dw > sx * sx + sy * sy + sz * sz + sw * sw) {
        b = {-q1.x, -q1.y, -q1.z, -q1.w};
    }
    const float c = q0.x * b.x + q0.y * b.y + q0.z * b.z + q0.w * b.w;
    float s0 = 1 - f;
    float s1 = f;
    // Close to each other sin(theta) would be tiny: blend linearly instead.
    if (static_cast<double>(1 - c) > 1e-8) {
        const float theta = std::acos(c);
        const float sinTheta = std::sin(theta);
        s0 = std::sin((1 - f) * theta) / sinTheta;
        s1 = std::sin(f * theta) / sinTheta;
    }
    *out = {s0 * q0.x + s1 * b.x, s0 * q0.y + s1 * b.y, s0 * q0.z + s1 * b.z, s0 * q0.w + s1 * b.w};
}
