// Helpers shared by the geometry tests: matrices built from known parts,
// comparisons within tolerances, and a seeded source of random values.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

#include "geom/matrix4.h"
#include "geom/quaternion.h"

namespace geomtest {

inline Matrix4 Rows(std::initializer_list<float> values) {
    Matrix4 m = kIdentityMatrix;
    int i = 0;
    for (float v : values) m.m[i++] = v;
    return m;
}

inline Matrix4 Diagonal(float x, float y, float z) { return Rows({x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1}); }

inline Matrix4 Translation(float x, float y, float z) { return Rows({1, 0, 0, x, 0, 1, 0, y, 0, 0, 1, z, 0, 0, 0, 1}); }

inline void ExpectQuaternionEq(const Quaternion& expected, const Quaternion& actual) {
    EXPECT_EQ(expected.x, actual.x);
    EXPECT_EQ(expected.y, actual.y);
    EXPECT_EQ(expected.z, actual.z);
    EXPECT_EQ(expected.w, actual.w);
}

// The rotation of a unit quaternion, computed in double (textbook formula,
// independent of the code under test).
inline Matrix4 RotationOf(const Quaternion& q) {
    const double x = q.x, y = q.y, z = q.z, w = q.w;
    Matrix4 m = kIdentityMatrix;
    m.m[0] = static_cast<float>(1 - 2 * (y * y + z * z));
    m.m[1] = static_cast<float>(2 * (x * y - z * w));
    m.m[2] = static_cast<float>(2 * (x * z + y * w));
    m.m[4] = static_cast<float>(2 * (x * y + z * w));
    m.m[5] = static_cast<float>(1 - 2 * (x * x + z * z));
    m.m[6] = static_cast<float>(2 * (y * z - x * w));
    m.m[8] = static_cast<float>(2 * (x * z - y * w));
    m.m[9] = static_cast<float>(2 * (y * z + x * w));
    m.m[10] = static_cast<float>(1 - 2 * (x * x + y * y));
    return m;
}

// Product in double precision, for reference.
inline void ReferenceProduct(const Matrix4& a, const Matrix4& b, double out[16]) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += static_cast<double>(a.m[4 * i + k]) * b.m[4 * k + j];
            out[4 * i + j] = sum;
        }
    }
}

// Determinant of the upper 3x3, in double.
inline double Determinant3(const Matrix4& m) {
    auto e = [&](int r, int c) { return static_cast<double>(m.m[4 * r + c]); };
    return e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) - e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0)) +
           e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
}

// Largest absolute difference of the upper 3x3 blocks.
inline double Difference3(const Matrix4& a, const Matrix4& b) {
    double worst = 0;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            worst = std::fmax(worst, std::fabs(static_cast<double>(a.m[4 * r + c]) - b.m[4 * r + c]));
        }
    }
    return worst;
}

inline bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Quaternions q and -q are the same rotation.
inline double QuaternionDistance(const Quaternion& a, const Quaternion& b) {
    const double same = std::fabs(a.x - b.x) + std::fabs(a.y - b.y) + std::fabs(a.z - b.z) + std::fabs(a.w - b.w);
    const double opposite = std::fabs(a.x + b.x) + std::fabs(a.y + b.y) + std::fabs(a.z + b.z) + std::fabs(a.w + b.w);
    return std::fmin(same, opposite);
}

class Random {
public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}
    float Uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(engine_); }
    Quaternion UnitQuaternion() {
        std::normal_distribution<double> normal;
        double x = normal(engine_), y = normal(engine_), z = normal(engine_), w = normal(engine_);
        const double length = std::sqrt(x * x + y * y + z * z + w * w);
        return {static_cast<float>(x / length), static_cast<float>(y / length), static_cast<float>(z / length),
                static_cast<float>(w / length)};
    }
    Matrix4 Rotation() { return RotationOf(UnitQuaternion()); }
    Matrix4 General(float range) {
        Matrix4 m;
        for (float& e : m.m) e = Uniform(-range, range);
        return m;
    }

private:
    std::mt19937 engine_;
};

}  // namespace geomtest
