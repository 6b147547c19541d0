#include "geom/matrix3.h"

#include <cmath>

void MatrixProduct3x3(const Matrix4& a, const Matrix4& b, Matrix4* out) {
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            At(*out, i, j) = At(a, i, 0) * At(b, 0, j) + At(a, i, 1) * At(b, 1, j) + At(a, i, 2) * At(b, 2, j);
        }
    }
}

void AdjointTranspose3x3(const Matrix4& matrix, Matrix4* out) {
    for (int r = 0; r < 3; ++r) {
        Vector3 row;
        CrossProduct(Row3(matrix, (r + 1) % 3), Row3(matrix, (r + 2) % 3), &row);
        At(*out, r, 0) = row.x;
        At(*out, r, 1) = row.y;
        At(*out, r, 2) = row.z;
    }
}

namespace {

float LargestAbsoluteSum(const Matrix4& matrix, bool columns) {
    float largest = 0.0f;
    for (int i = 0; i < 3; ++i) {
        const Vector3 line = columns ? Column3(matrix, i) : Row3(matrix, i);
        const float sum = std::fabs(line.x) + std::fabs(line.y) + std::fabs(line.z);
        if (largest < sum) largest = sum;
    }
    return largest;
}

}  // namespace

float InfinityNorm3x3(const Matrix4& matrix) { return LargestAbsoluteSum(matrix, false); }
float OneNorm3x3(const Matrix4& matrix) { return LargestAbsoluteSum(matrix, true); }

int LargestEntryColumn3x3(const Matrix4& matrix) {
    float largest = 0.0f;
    int column = -1;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            const float magnitude = std::fabs(At(matrix, r, c));
            if (magnitude > largest) {
                largest = magnitude;
                column = c;
            }
        }
    }
    return column;
}

void HouseholderReflector(const Vector3& v, Vector3* out) {
    // The reflector does not depend on the length of v, so v is first scaled
    // by a power of two (exact) to bring its largest component near 1: tiny
    // or huge vectors then neither underflow to a zero length nor overflow.
    // A zero vector gives the zero reflector, which leaves everything as it is.
    if (v.x == 0.0f && v.y == 0.0f && v.z == 0.0f) {
        *out = {0.0f, 0.0f, 0.0f};
        return;
    }
    const float largest = std::fmax(std::fabs(v.x), std::fmax(std::fabs(v.y), std::fabs(v.z)));
    Vector3 w = v;
    if (std::isfinite(largest) && largest > 0.0f) {
        int exponent = 0;
        std::frexp(largest, &exponent);
        w = {std::ldexp(v.x, -exponent), std::ldexp(v.y, -exponent), std::ldexp(v.z, -exponent)};
    }
    const float length = std::sqrt(DotProduct(w, w));
    const Vector3 u = {w.x, w.y, w.z < 0.0f ? w.z - length : w.z + length};
    const float scale = static_cast<float>(std::sqrt(2.0 / static_cast<double>(DotProduct(u, u))));
    *out = {u.x * scale, u.y * scale, u.z * scale};
}

void ReflectColumns3x3(Matrix4* matrix, const Vector3& u) {
    for (int c = 0; c < 3; ++c) {
        const float s = DotProduct(u, Column3(*matrix, c));
        At(*matrix, 0, c) -= s * u.x;
        At(*matrix, 1, c) -= s * u.y;
        At(*matrix, 2, c) -= s * u.z;
    }
}

void ReflectRows3x3(Matrix4* matrix, const Vector3& u) {
    for (int r = 0; r < 3; ++r) {
        const float s = DotProduct(u, Row3(*matrix, r));
        At(*matrix, r, 0) -= s * u.x;
        At(*matrix, r, 1) -= s * u.y;
        At(*matrix, r, 2) -= s * u.z;
    }
}
