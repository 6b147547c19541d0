// Three-component single-precision vectors and their products.
#pragma once

struct Vector3 {
    float x, y, z;
};

// Four floats x, y, z, w: a translation with w = 0, or stretch factors with w = 1.
struct Vector4 {
    float x, y, z, w;
};

inline float DotProduct(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// out may be a or b.
inline void CrossProduct(const Vector3& a, const Vector3& b, Vector3* out) {
    const float x = a.y * b.z - a.z * b.y;
    const float y = a.z * b.x - a.x * b.z;
    const float z = a.x * b.y - a.y * b.x;
    *out = {x, y, z};
}
