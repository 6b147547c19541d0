// The grid over directions behind the normal lookup: a cube map whose cells
// list every normal table entry that can have the largest dot product for
// some direction in the cell.
#pragma once

#include <cstdint>

#include "geom/float4.h"
#include "geom/vector3.h"

// Cube map: face 2a + s is the side where axis a dominates with sign s (0
// positive, 1 negative); each face is cut into kGridSide x kGridSide cells
// over the two other components divided by the dominant one.
constexpr int kGridSide = 32;
constexpr int kGridCells = 6 * kGridSide * kGridSide;
// Every cell holds the same number of candidates, in ascending index order,
// its last one repeated to fill the row: the lookup then runs the same
// instructions for every normal, and a repeated entry never wins over itself
// (only a strictly larger dot product replaces the best).
constexpr int kCandidateSlots = 3;

struct NormalGrid {
    std::uint8_t candidates[kGridCells][kCandidateSlots];
    bool usable;  // false when some cell has more candidates than slots
};

// The grid, a table derived from the normal table when the program was built.
const NormalGrid& TheNormalGrid();

// The grid cell of a finite, non-zero normal.
int GridCell(const Vector3& n);

// GridCell of four finite, non-zero normals given by their components.
Int4 GridCells(Float4 x, Float4 y, Float4 z);

// One of two integers without a branch: neighbouring normals of a mesh
// often change their dominant axis or their best candidate, and a
// mispredicted branch costs as much as the whole lookup.
inline int SelectInt(bool condition, int ifTrue, int ifFalse) {
    const int mask = -static_cast<int>(condition);
    return (ifTrue & mask) | (ifFalse & ~mask);
}
