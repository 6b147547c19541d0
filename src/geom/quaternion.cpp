#include "geom/quaternion.h"

#include <cmath>

void QuaternionFromMatrix(const Matrix4& matrix, Quaternion* out) {
    const Matrix4& m = matrix;
    float q[4];  // x, y, z, w
    // Start from a large component so that no division is by a small number:
    // with a non-negative trace |w| is at least 1/2, otherwise the component
    // of the largest diagonal entry is.
    const double trace = static_cast<double>(At(m, 0, 0) + At(m, 1, 1) + At(m, 2, 2));
    if (trace >= 0.0) {
        const double s = std::sqrt(trace + At(m, 3, 3));
        const double half = 0.5 / s;
        q[3] = static_cast<float>(s * 0.5);
        q[0] = static_cast<float>((At(m, 2, 1) - At(m, 1, 2)) * half);
        q[1] = static_cast<float>((At(m, 0, 2) - At(m, 2, 0)) * half);
        q[2] = static_cast<float>((At(m, 1, 0) - At(m, 0, 1)) * half);
    } else {
        int i = 0;
        if (At(m, 1, 1) > At(m, 0, 0)) i = 1;
        if (At(m, 2, 2) > At(m, i, i)) i = 2;
        const int j = (i + 1) % 3;
        const int k = (j + 1) % 3;
        const float squared = (At(m, i, i) - (At(m, j, j) + At(m, k, k))) + At(m, 3, 3);
        const double s = static_cast<double>(std::sqrt(squared));  // single-precision root
        const double half = 0.5 / s;
        q[i] = static_cast<float>(s * 0.5);
        q[j] = static_cast<float>((At(m, i, j) + At(m, j, i)) * half);
        q[k] = static_cast<float>((At(m, k, i) + At(m, i, k)) * half);
        q[3] = static_cast<float>((At(m, k, j) - At(m, j, k)) * half);
    }
    Quaternion result = {q[0], q[1], q[2], q[3]};
    if (At(m, 3, 3) != 1.0f) {
        QuaternionScale(result, static_cast<float>(1.0 / std::sqrt(static_cast<double>(At(m, 3, 3)))), &result);
    }
    *out = result;
}
