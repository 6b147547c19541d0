// Normals computed and normalised a block at a time from separate component
// arrays, so that the products, square roots and divisions of a block run
// side by side in vector registers; every lane rounds exactly as the same
// scalar expression does.
#pragma once

#include "geom/vector3.h"

constexpr int kNormalBlock = 256;

struct NormalBlock {
    float x[kNormalBlock];
    float y[kNormalBlock];
    float z[kNormalBlock];
};

// Two edges of each face of a block: a = P1 - P0 and b = Plast - P0.
struct EdgeBlock {
    NormalBlock a;
    NormalBlock b;
};

// Lane k of `edges` from a face's first, second and last corner positions.
inline void SetFaceEdges(const Vector3& p0, const Vector3& p1, const Vector3& pLast, EdgeBlock* edges, int k) {
    edges->a.x[k] = p1.x - p0.x;
    edges->a.y[k] = p1.y - p0.y;
    edges->a.z[k] = p1.z - p0.z;
    edges->b.x[k] = pLast.x - p0.x;
    edges->b.y[k] = pLast.y - p0.y;
    edges->b.z[k] = pLast.z - p0.z;
}

// Every lane multiplied by the reciprocal of its length when that length is
// greater than 0; a lane of length 0 (or not a number) stays as it is. Lanes
// a caller does not use are best left at zero.
void NormaliseBlock(NormalBlock* block);

// out := a x b lane by lane (a on the left), then normalised as above. Zero
// edges give the zero normal.
void FaceNormalBlock(const EdgeBlock& edges, NormalBlock* out);
