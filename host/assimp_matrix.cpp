#include "host/assimp_matrix.h"

#include <algorithm>
#include <cmath>

namespace assimp_rig {

Matrix ToDouble(const aiMatrix4x4& m, double scale) {
    Matrix r;
    for (unsigned i = 0; i < 4; ++i) {
        for (unsigned j = 0; j < 4; ++j) {
            r[i][j] = m[i][j];
        }
    }
    r.a4 *= scale;  // conjugated by the scaling: only the translation changes
    r.b4 *= scale;
    r.c4 *= scale;
    return r;
}

Matrix Inverted(Matrix m) {
    const double det = m.Determinant();
    return std::isfinite(det) && std::fabs(det) > 1e-300 ? m.Inverse() : Matrix();
}

void ToFloats(const Matrix& m, float out[16]) {
    for (unsigned i = 0; i < 4; ++i) {
        for (unsigned j = 0; j < 4; ++j) {
            out[4 * i + j] = static_cast<float>(m[i][j]);
        }
    }
}

Matrix Compose(const Vec& s, const Quat& r, const Vec& t) {
    Matrix m(r.GetMatrix());
    const double scale[3] = {s.x, s.y, s.z};
    for (unsigned i = 0; i < 3; ++i) {
        for (unsigned j = 0; j < 3; ++j) {
            m[i][j] *= scale[j];
        }
    }
    m.a4 = t.x;
    m.b4 = t.y;
    m.c4 = t.z;
    return m;
}

Trs Decompose(const Matrix& m) {
    Trs trs;
    m.Decompose(trs.s, trs.r, trs.t);
    return trs;
}

double Largest(const Matrix& m) {
    double largest = 0;
    for (unsigned i = 0; i < 4; ++i) {
        for (unsigned j = 0; j < 4; ++j) {
            largest = std::max(largest, std::fabs(m[i][j]));
        }
    }
    return largest;
}

bool Near(const Matrix& a, const Matrix& b, double tolerance) {
    for (unsigned i = 0; i < 4; ++i) {
        for (unsigned j = 0; j < 4; ++j) {
            if (std::fabs(a[i][j] - b[i][j]) > tolerance) {
                return false;
            }
        }
    }
    return true;
}

bool EvenTransform(const Matrix& m, Trs* trs) {
    *trs = Decompose(m);
    const Vec& s = trs->s;
    return s.x > 0 && std::fabs(s.x - s.y) <= 1e-6 * s.x && std::fabs(s.x - s.z) <= 1e-6 * s.x &&
           Near(Compose(trs->s, trs->r, trs->t), m, 1e-6 * (1 + Largest(m)));
}

namespace {

// Eigenvectors (columns of u) and eigenvalues of a symmetric 3x3 matrix, by
// cyclic Jacobi rotations.
void SymmetricEigen(aiMatrix3x3t<double> a, aiMatrix3x3t<double>* u, double values[3]) {
    *u = aiMatrix3x3t<double>();
    for (int sweep = 0; sweep < 50; ++sweep) {
        const double off = std::fabs(a[0][1]) + std::fabs(a[0][2]) + std::fabs(a[1][2]);
        if (off < 1e-300) {
            break;
        }
        for (unsigned p = 0; p < 2; ++p) {
            for (unsigned q = p + 1; q < 3; ++q) {
                if (a[p][q] == 0) {
                    continue;
                }
                const double theta = (a[q][q] - a[p][p]) / (2 * a[p][q]);
                const double t = (theta >= 0 ? 1 : -1) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
                const double c = 1 / std::sqrt(t * t + 1), sn = t * c;
                aiMatrix3x3t<double> turn;  // a := turnᵀ a turn
                turn[p][p] = c;
                turn[q][q] = c;
                turn[p][q] = sn;
                turn[q][p] = -sn;
                aiMatrix3x3t<double> turnT = turn;
                turnT.Transpose();
                a = turnT * a * turn;
                *u = *u * turn;
            }
        }
    }
    for (unsigned i = 0; i < 3; ++i) {
        values[i] = a[i][i];
    }
}

}  // namespace

bool EvenPart(const Matrix& m, Matrix* even) {
    const aiMatrix3x3t<double> a(m);
    if (!(a.Determinant() > 0)) {
        return false;
    }
    aiMatrix3x3t<double> at = a;
    at.Transpose();
    aiMatrix3x3t<double> u;
    double values[3];
    SymmetricEigen(at * a, &u, values);
    if (u.Determinant() < 0) {
        for (unsigned i = 0; i < 3; ++i) {
            u[i][2] = -u[i][2];
        }
    }
    double d[3];
    for (int i = 0; i < 3; ++i) {
        if (!(values[i] > 0)) {
            return false;
        }
        d[i] = std::sqrt(values[i]);
    }
    const double mean = std::cbrt(d[0] * d[1] * d[2]);
    // R U = A U D⁻¹.
    aiMatrix3x3t<double> frame = a * u;
    for (unsigned i = 0; i < 3; ++i) {
        for (unsigned j = 0; j < 3; ++j) {
            frame[i][j] *= mean / d[j];
        }
    }
    *even = Matrix(frame);
    even->a4 = m.a4;
    even->b4 = m.b4;
    even->c4 = m.c4;
    return true;
}

}  // namespace assimp_rig
