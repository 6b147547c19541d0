#include "md2/normal_index.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "md2/md2_normals.h"
#include "md2/normal_grid.h"

// The rule is defined over all 162 entries. The fast path finds the entry with
// the largest dot product through a grid over directions: each cell of a cube
// map lists every entry that can have the largest dot product for some normal
// whose direction falls in the cell. When that entry qualifies it is the
// answer (no other entry has a larger dot product, and ties are settled by the
// lowest index in both). When it does not (a zero, non-unit or non-finite
// normal), every entry is examined as the rule states.

namespace {

constexpr float kEqualTolerance = 9.9999997e-05f;

// The dot product in the order the rule computes it.
inline float NormalDot(const Vector3& n, const float* e) { return n.y * e[1] + n.x * e[0] + n.z * e[2]; }

// Each component differs by less than the tolerance: the difference in single
// precision, its absolute value taken in double and converted back.
inline bool EqualsEntry(const Vector3& n, const float* e) {
    const float d[3] = {n.x - e[0], n.y - e[1], n.z - e[2]};
    for (float component : d) {
        if (!(static_cast<float>(std::fabs(static_cast<double>(component))) < kEqualTolerance)) {
            return false;
        }
    }
    return true;
}

// acosf(dot) < 1. The arc cosine is monotonic and accurate to far better
// than the margins here: at or below 0.5 the angle is at least 1.047, from 0.6
// to 1 it is at most 0.928. Only between them, and outside -1 to 1, is the
// arc cosine itself asked.
inline bool AngleBelowOneRadian(float dot) {
    if (dot >= 0.6f && dot <= 1.0f) {
        return true;
    }
    if (dot >= -1.0f && dot <= 0.5f) {
        return false;
    }
    return std::acos(dot) < 1.0f;
}

inline bool Qualifies(const Vector3& n, int index, float dot) {
    return AngleBelowOneRadian(dot) || EqualsEntry(n, kMd2Normals[index]);
}

// Every entry in index order, as the rule states it.
int NormalIndexByScan(const Vector3& n) {
    int best = -1;
    float bestDot = 0;
    for (int i = 0; i < kMd2NormalCount; ++i) {
        const float dot = NormalDot(n, kMd2Normals[i]);
        if (Qualifies(n, i, dot) && (best < 0 || dot > bestDot)) {
            best = i;
            bestDot = dot;
        }
    }
    return best < 0 ? 0 : best;
}

// True for a normal the grid takes: the sum of the magnitudes is 0 only for
// the zero normal, not a number when a component is not, and infinite when
// one is (or when they are too large to add, which the full search handles).
// Below kSmallestGridMagnitude the largest component's reciprocal, which the
// grid's cell lookup takes, could overflow to infinity; such tiny normals
// qualify for no entry anyway and go through the full search.
constexpr float kSmallestGridMagnitude = 1e-37f;

bool Ordinary(const Vector3& n) {
    const float magnitude = std::fabs(n.x) + std::fabs(n.y) + std::fabs(n.z);
    return magnitude >= kSmallestGridMagnitude && magnitude <= std::numeric_limits<float>::max();
}

// The candidate of the cell with the largest dot product, the first on a
// tie, when it qualifies; otherwise the full search.
int BestOfCell(const Vector3& normal, const std::uint8_t* candidates) {
    int best = candidates[0];
    float bestDot = NormalDot(normal, kMd2Normals[best]);
    for (int slot = 1; slot < kCandidateSlots; ++slot) {
        const int i = candidates[slot];
        const float dot = NormalDot(normal, kMd2Normals[i]);
        best = SelectInt(dot > bestDot, i, best);
        bestDot = dot > bestDot ? dot : bestDot;
    }
    if (Qualifies(normal, best, bestDot)) {
        return best;
    }
    return NormalIndexByScan(normal);
}

}  // namespace

int NormalIndex(const Vector3& normal) {
    if (!Ordinary(normal)) {
        // A zero normal: every dot product is 0, an angle of pi / 2, and no
        // entry is near zero length.
        const bool zero = normal.x == 0 && normal.y == 0 && normal.z == 0;
        return zero ? 0 : NormalIndexByScan(normal);
    }
    const NormalGrid& grid = TheNormalGrid();
    if (!grid.usable) {
        return NormalIndexByScan(normal);
    }
    return BestOfCell(normal, grid.candidates[GridCell(normal)]);
}

namespace {

// Four normals side by side: the cells, the dot products of each slot's
// candidates and the choice of the best run as vector instructions, in the
// same order and with the same rounding as one normal at a time. A lane that
// does not qualify goes through the full search on its own.
void NormalIndices4(const Vector3* const lanes[4], const NormalGrid& grid, std::uint8_t* out) {
    const Float4 x = {lanes[0]->x, lanes[1]->x, lanes[2]->x, lanes[3]->x};
    const Float4 y = {lanes[0]->y, lanes[1]->y, lanes[2]->y, lanes[3]->y};
    const Float4 z = {lanes[0]->z, lanes[1]->z, lanes[2]->z, lanes[3]->z};
    const Int4 cells = GridCells(x, y, z);
    const std::uint8_t* candidates[4] = {grid.candidates[cells[0]], grid.candidates[cells[1]],
                                         grid.candidates[cells[2]], grid.candidates[cells[3]]};
    // Each vector is built from its four values at once, so that it is put
    // together in registers rather than through memory.
    auto slotDots = [&](int slot, Int4* indices) {
        const int i0 = candidates[0][slot];
        const int i1 = candidates[1][slot];
        const int i2 = candidates[2][slot];
        const int i3 = candidates[3][slot];
        *indices = Int4{i0, i1, i2, i3};
        const float* e0 = kMd2Normals[i0];
        const float* e1 = kMd2Normals[i1];
        const float* e2 = kMd2Normals[i2];
        const float* e3 = kMd2Normals[i3];
        const Float4 ex = {e0[0], e1[0], e2[0], e3[0]};
        const Float4 ey = {e0[1], e1[1], e2[1], e3[1]};
        const Float4 ez = {e0[2], e1[2], e2[2], e3[2]};
        return y * ey + x * ex + z * ez;
    };
    Int4 best;
    Float4 bestDot = slotDots(0, &best);
    for (int slot = 1; slot < kCandidateSlots; ++slot) {
        Int4 indices;
        const Float4 dot = slotDots(slot, &indices);
        const Int4 better = dot > bestDot;
        best = Select4(better, indices, best);
        bestDot = Select4(better, dot, bestDot);
    }
    // Dot products from 0.6 to 1 are within 1 radian without asking the arc cosine.
    if (AllLanes((bestDot >= 0.6f) & (bestDot <= 1.0f))) {
        for (int lane = 0; lane < 4; ++lane) {
            out[lane] = static_cast<std::uint8_t>(best[lane]);
        }
        return;
    }
    for (int lane = 0; lane < 4; ++lane) {
        const bool qualifies = Qualifies(*lanes[lane], best[lane], bestDot[lane]);
        out[lane] = static_cast<std::uint8_t>(qualifies ? best[lane] : NormalIndexByScan(*lanes[lane]));
    }
}

}  // namespace

void NormalIndices(const Vector3* first, std::size_t stride, int count, std::uint8_t* out) {
    const char* bytes = reinterpret_cast<const char*>(first);
    auto normalAt = [&](int k) -> const Vector3& {
        return *reinterpret_cast<const Vector3*>(bytes + static_cast<std::size_t>(k) * stride);
    };
    const NormalGrid& grid = TheNormalGrid();
    int k = 0;
    for (; grid.usable && k + 4 <= count; k += 4) {
        const Vector3* const lanes[4] = {&normalAt(k), &normalAt(k + 1), &normalAt(k + 2), &normalAt(k + 3)};
        if (Ordinary(*lanes[0]) && Ordinary(*lanes[1]) && Ordinary(*lanes[2]) && Ordinary(*lanes[3])) {
            NormalIndices4(lanes, grid, out + k);
        } else {
            for (int lane = 0; lane < 4; ++lane) {
                out[k + lane] = static_cast<std::uint8_t>(NormalIndex(*lanes[lane]));
            }
        }
    }
    for (; k < count; ++k) {
        out[k] = static_cast<std::uint8_t>(NormalIndex(normalAt(k)));
    }
}
