// Normals computed and normalised a block at a time from separate component
// arrays, so that the products, square roots and divisions of a block run
// side by side in vector registers; every lane rounds exactly as the same
// scalar expression does.
#pragma once

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

// Every lane multiplied by the reciprocal of its length when that length is
// greater than 0; a lane of length 0 (or not a number) stays as it is. Lanes
// a caller does not use are best left at zero.
void NormaliseBlock(NormalBlock* block);

// out := a x b lane by lane (a on the left), then normalised as above. Zero
// edges give the zero normal.
void FaceNormalBlock(const EdgeBlock& edges, NormalBlock* out);
