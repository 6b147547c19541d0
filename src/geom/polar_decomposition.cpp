#include "geom/polar_decomposition.h"

#include <cmath>
#include <limits>

#include "geom/matrix3.h"

namespace {

// The iteration stops once a step changes the iterate by less than this
// fraction of its size (one norms).
constexpr double kTolerance = 1.0e-6;
// The iteration converges quadratically and settles within a dozen steps for
// any matrix a float can hold; the cap only guards against an iterate that
// never settles.
constexpr int kMaxIterations = 100;

void Transpose3x3(const Matrix4& in, Matrix4* out) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) At(*out, r, c) = At(in, c, r);
    }
}

void Copy3x3(const Matrix4& in, Matrix4* out) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) At(*out, r, c) = At(in, r, c);
    }
}

// Orthogonal factor of a matrix of rank 1 (or 0), written over *factor.
// m is reflected so that its one non-zero row and column meet at (2, 2); the
// factor is the identity there, turned half about y when that entry is
// negative so that it stays a rotation, and reflected back.
void Rank1Factor(const Matrix4& m, Matrix4* factor) {
    Matrix4 q = kIdentityMatrix;
    const int column = LargestEntryColumn3x3(m);
    if (column >= 0) {
        Matrix4 work = m;
        Vector3 first, second;
        HouseholderReflector(Column3(work, column), &first);
        ReflectColumns3x3(&work, first);
        HouseholderReflector(Row3(work, 2), &second);
        ReflectRows3x3(&work, second);
        if (At(work, 2, 2) < 0.0f) {
            At(q, 2, 2) = -1.0f;
            At(q, 0, 0) = -1.0f;
        }
        ReflectColumns3x3(&q, first);
        ReflectRows3x3(&q, second);
    }
    Copy3x3(q, factor);
}

// Orthogonal factor of a matrix of rank 2 (or less), written over *m.
// adjointT is the adjoint transpose of m; a column of it spans the null space
// of m^T. Two reflections bring m to a 2x2 block in rows and columns 0 and 1,
// whose orthogonal factor is a plane rotation (positive determinant) or a
// plane reflection (otherwise, completed to a rotation by -1 at (2, 2)).
void Rank2Factor(Matrix4* m, const Matrix4& adjointT) {
    const int column = LargestEntryColumn3x3(adjointT);
    if (column < 0) {
        Rank1Factor(*m, m);
        return;
    }
    Matrix4 work = *m;
    Vector3 first, second;
    HouseholderReflector(Column3(adjointT, column), &first);
    ReflectColumns3x3(&work, first);
    CrossProduct(Row3(work, 0), Row3(work, 1), &second);
    HouseholderReflector(second, &second);
    ReflectRows3x3(&work, second);

    const float w = At(work, 0, 0), x = At(work, 0, 1), y = At(work, 1, 0), z = At(work, 1, 1);
    const bool rotation = w * z > x * y;
    float c = rotation ? z + w : z - w;
    float s = rotation ? y - x : y + x;
    const float d = std::sqrt(c * c + s * s);
    if (!(d > 0.0f)) {
        // The block vanished: m has rank 1 at most after all.
        Rank1Factor(*m, m);
        return;
    }
    c = c / d;
    s = s / d;
    Matrix4 q = kIdentityMatrix;
    if (rotation) {
        At(q, 0, 0) = c;
        At(q, 1, 1) = c;
        At(q, 1, 0) = s;
        At(q, 0, 1) = -s;
    } else {
        At(q, 1, 1) = c;
        At(q, 0, 0) = -c;
        At(q, 0, 1) = s;
        At(q, 1, 0) = s;
        At(q, 2, 2) = -1.0f;
    }
    ReflectColumns3x3(&q, first);
    ReflectRows3x3(&q, second);
    Copy3x3(q, m);
}

}  // namespace

float PolarDecompose(const Matrix4& m, Matrix4* q, Matrix4* s, int* iterations) {
    // The iteration runs on the transpose, Mk <- (gamma*Mk + (gamma*det)^-1 * adj(Mk)^T) / 2,
    // which converges to the transpose of the orthogonal factor.
    Matrix4 mk = kIdentityMatrix;
    Transpose3x3(m, &mk);
    float mOne = OneNorm3x3(mk);
    float mInf = InfinityNorm3x3(mk);
    Matrix4 adjointT = kIdentityMatrix;
    Matrix4 change = kIdentityMatrix;
    float det = 0.0f;
    int count = 0;
    for (;;) {
        ++count;
        AdjointTranspose3x3(mk, &adjointT);
        det = DotProduct(Row3(mk, 0), Row3(adjointT, 0));
        if (det == 0.0f) {
            Rank2Factor(&mk, adjointT);
            break;
        }
        const float eOne = OneNorm3x3(adjointT);
        const float eInf = InfinityNorm3x3(adjointT);
        const float mProduct = mOne * mInf;
        float gamma = std::numeric_limits<float>::quiet_NaN();
        if (std::isfinite(det) && mProduct != 0.0f) {
            gamma = std::sqrt(std::sqrt((eOne * eInf) / mProduct) / std::fabs(det));
        }
        const float gammaDet = gamma * det;
        if (!std::isfinite(gammaDet) || gammaDet == 0.0f) {
            // NaN or infinite entries, or a scale beyond float range: there is
            // no next iterate, and the result is not a number.
            for (int r = 0; r < 3; ++r) {
                for (int c = 0; c < 3; ++c) At(mk, r, c) = std::numeric_limits<float>::quiet_NaN();
            }
            break;
        }
        const float g1 = static_cast<float>(static_cast<double>(gamma) * 0.5);
        const float g2 = static_cast<float>(0.5 / static_cast<double>(gammaDet));
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                const float next = g1 * At(mk, r, c) + g2 * At(adjointT, r, c);
                At(change, r, c) = At(mk, r, c) - next;
                At(mk, r, c) = next;
            }
        }
        mOne = OneNorm3x3(mk);
        mInf = InfinityNorm3x3(mk);
        const bool moving = static_cast<double>(OneNorm3x3(change)) > static_cast<double>(mOne) * kTolerance;
        if (!moving || count >= kMaxIterations) break;
    }

    Matrix4 orthogonal = kIdentityMatrix;
    Transpose3x3(mk, &orthogonal);
    Matrix4 stretch = kIdentityMatrix;
    MatrixProduct3x3(mk, m, &stretch);
    for (int i = 0; i < 3; ++i) {
        for (int j = i; j < 3; ++j) {
            const float mean = 0.5f * (At(stretch, i, j) + At(stretch, j, i));
            At(stretch, i, j) = mean;
            At(stretch, j, i) = mean;
        }
    }
    *q = orthogonal;
    *s = stretch;
    if (iterations != nullptr) *iterations = count;
    return det;
}
