// The MD2 normal byte of a vertex: the index of the table entry that encodes
// a normal.
#pragma once

#include <cstddef>
#include <cstdint>

#include "geom/vector3.h"

// The index (0 to 161) of the normal table entry that encodes `normal`.
// An entry qualifies when it equals the normal (each component within
// 0.0001) or when the single-precision arc cosine of their dot product is
// below 1 radian (an angle that is not a number never qualifies). The answer
// is the qualifying entry with the largest dot product, the lowest index on a
// tie, or 0 when none qualifies (a zero normal among others).
int NormalIndex(const Vector3& normal);

// NormalIndex of `count` normals, the first at `first` and each next one
// `stride` bytes further (normals inside larger records), into out[0] to
// out[count - 1]. The same answers, four normals at a time.
void NormalIndices(const Vector3* first, std::size_t stride, int count, std::uint8_t* out);
