#include "anim/normal_block.h"

#include <cmath>

namespace {

// The length is replaced by 1 before the division where it is not greater
// than 0, so that the loop has no branch: x * (1 / 1) is x itself.
inline void NormaliseLane(float* x, float* y, float* z) {
    const float length = std::sqrt(*x * *x + *y * *y + *z * *z);
    const float reciprocal = 1 / (length > 0 ? length : 1.0f);
    *x *= reciprocal;
    *y *= reciprocal;
    *z *= reciprocal;
}

}  // namespace

void NormaliseBlock(NormalBlock* block) {
    for (int k = 0; k < kNormalBlock; ++k) {
        NormaliseLane(&block->x[k], &block->y[k], &block->z[k]);
    }
}

void FaceNormalBlock(const EdgeBlock& edges, NormalBlock* out) {
    const NormalBlock& a = edges.a;
    const NormalBlock& b = edges.b;
    for (int k = 0; k < kNormalBlock; ++k) {
        float x = a.y[k] * b.z[k] - a.z[k] * b.y[k];
        float y = a.z[k] * b.x[k] - a.x[k] * b.z[k];
        float z = a.x[k] * b.y[k] - a.y[k] * b.x[k];
        NormaliseLane(&x, &y, &z);
        out->x[k] = x;
        out->y[k] = y;
        out->z[k] = z;
    }
}
