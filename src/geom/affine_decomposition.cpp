#include "geom/affine_decomposition.h"

#include "geom/polar_decomposition.h"
#include "geom/spectral_decomposition.h"

void DecomposeAffine(const Matrix4& a, AffineDecomposition* out) {
    out->t = {At(a, 0, 3), At(a, 1, 3), At(a, 2, 3), 0.0f};

    Matrix4 q, s;
    const float det = PolarDecompose(a, &q, &s);
    // A mirroring matrix has an improper orthogonal factor; negated, it is a
    // rotation and the mirror goes into the sign.
    if (det < 0.0f) {
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) At(q, r, c) = -At(q, r, c);
        }
        out->f = -1.0f;
    } else {
        out->f = 1.0f;
    }
    QuaternionFromMatrix(q, &out->q);

    Matrix4 u;
    SpectralDecompose(s, &u, &out->k);
    QuaternionFromMatrix(u, &out->u);
    Quaternion p;
    AdjustSpectralAxes(out->u, &out->k, &p);
    QuaternionMultiply(out->u, p, &out->u);
}
