#include "geom/model_axes.h"

// Negations only flip the sign bit, so converting one way and back returns
// the same bits.

void ModelToHostPoint(const Vector3& p, Vector3* out) { *out = {p.x, p.z, -p.y}; }

void HostToModelPoint(const Vector3& p, Vector3* out) { *out = {p.x, -p.z, p.y}; }

namespace {

// out row `to` <- in row `from`, negated or not, all four elements.
void CopyRow(const Matrix4& in, int from, bool negate, Matrix4* out, int to) {
    for (int c = 0; c < 4; ++c) At(*out, to, c) = negate ? -At(in, from, c) : At(in, from, c);
}

void ConvertMatrix(const Matrix4& m, bool toHost, Matrix4* out) {
    const Matrix4 in = m;
    CopyRow(in, 0, false, out, 0);
    CopyRow(in, 2, !toHost, out, 1);
    CopyRow(in, 1, toHost, out, 2);
    CopyRow(in, 3, false, out, 3);
}

}  // namespace

void ModelToHostMatrix(const Matrix4& m, Matrix4* out) { ConvertMatrix(m, true, out); }

void HostToModelMatrix(const Matrix4& m, Matrix4* out) { ConvertMatrix(m, false, out); }
