#include "md2/normal_grid.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "md2/md2_normals.h"

namespace {

// Angular slack added to every cell's candidate test. The entry with the
// largest single-precision dot product lies within 0.003 radian of the entry
// nearest in angle (the table's vectors are unit length to 1e-6 and the dot
// product's rounding is below 1e-6 relative for normals of length 0.5 and
// more); the rest covers the rounding of the cell coordinates.
constexpr double kCandidateSlack = 0.01;
// Cells are widened by this much in face coordinates before their radius is taken.
constexpr double kCellWidening = 1e-3;

struct Direction {
    double x, y, z;
};

Direction UnitDirection(double x, double y, double z) {
    const double length = std::sqrt(x * x + y * y + z * z);
    return {x / length, y / length, z / length};
}

double AngleBetween(const Direction& a, const Direction& b) {
    double c = a.x * b.x + a.y * b.y + a.z * b.z;
    c = c > 1 ? 1 : (c < -1 ? -1 : c);
    return std::acos(c);
}

// The direction of face coordinates (u, v) on `face`.
Direction FacePoint(int face, double u, double v) {
    const int axis = face / 2;
    const double major = face % 2 == 0 ? 1.0 : -1.0;
    double c[3];
    c[axis] = major;
    c[(axis + 1) % 3] = u;
    c[(axis + 2) % 3] = v;
    return UnitDirection(c[0], c[1], c[2]);
}

// The largest angle from the centre of `cell` to a corner of the cell widened
// by kCellWidening, the farthest points of a cell that small; the centre too.
double CellRadius(int cell, Direction* centre) {
    const double cellWidth = 2.0 / kGridSide;
    const int face = cell / (kGridSide * kGridSide);
    const int row = cell / kGridSide % kGridSide;
    const int column = cell % kGridSide;
    const double u0 = -1 + column * cellWidth - kCellWidening;
    const double u1 = -1 + (column + 1) * cellWidth + kCellWidening;
    const double v0 = -1 + row * cellWidth - kCellWidening;
    const double v1 = -1 + (row + 1) * cellWidth + kCellWidening;
    *centre = FacePoint(face, (u0 + u1) / 2, (v0 + v1) / 2);
    double radius = 0;
    for (double u : {u0, u1}) {
        for (double v : {v0, v1}) {
            radius = std::fmax(radius, AngleBetween(*centre, FacePoint(face, u, v)));
        }
    }
    return radius;
}

// Lists, for every cell, each entry whose angle to the cell's centre is within
// 2 x (the cell's angular radius) + slack of the smallest such angle. Whatever
// direction d in the cell, the entry j with the largest dot product for d
// satisfies angle(centre, j) <= radius + angle(d, j) <= radius + angle(d, k) +
// slack <= 2 radius + angle(centre, k) + slack, for k the entry nearest the
// centre: so j is listed. The angles are compared through their cosines (one
// arc cosine and one cosine per cell), with a margin far above the rounding.
void BuildNormalGrid(NormalGrid* grid) {
    Direction entries[kMd2NormalCount];
    for (int i = 0; i < kMd2NormalCount; ++i) {
        entries[i] = UnitDirection(kMd2Normals[i][0], kMd2Normals[i][1], kMd2Normals[i][2]);
    }
    grid->usable = true;
    for (int cell = 0; cell < kGridCells; ++cell) {
        Direction centre;
        const double radius = CellRadius(cell, &centre);
        double cosines[kMd2NormalCount];
        double nearest = -1;
        for (int i = 0; i < kMd2NormalCount; ++i) {
            cosines[i] = centre.x * entries[i].x + centre.y * entries[i].y + centre.z * entries[i].z;
            nearest = cosines[i] > nearest ? cosines[i] : nearest;
        }
        const double limit = std::acos(std::fmin(nearest, 1.0)) + 2 * radius + kCandidateSlack + 1e-9;
        const double lowest = limit >= 3.14159 ? -2.0 : std::cos(limit);
        int listed = 0;
        for (int i = 0; i < kMd2NormalCount; ++i) {
            if (cosines[i] >= lowest) {
                if (listed == kCandidateSlots) {
                    grid->usable = false;
                    return;
                }
                grid->candidates[cell][listed++] = static_cast<std::uint8_t>(i);
            }
        }
        for (int slot = listed; slot < kCandidateSlots; ++slot) {
            grid->candidates[cell][slot] = grid->candidates[cell][listed - 1];
        }
    }
}

}  // namespace

const NormalGrid& TheNormalGrid() {
    static const NormalGrid grid = [] {
        NormalGrid built{};
        BuildNormalGrid(&built);
        return built;
    }();
    return grid;
}

int GridCell(const Vector3& n) {
    const float c[3] = {n.x, n.y, n.z};
    const float ax = std::fabs(n.x);
    const float ay = std::fabs(n.y);
    const float az = std::fabs(n.z);
    const bool yOverX = ay > ax;
    const float xyMax = ay > ax ? ay : ax;
    const bool zOverXY = az > xyMax;
    const int axis = SelectInt(zOverXY, 2, static_cast<int>(yOverX));
    const float major = az > xyMax ? az : xyMax;
    static constexpr int kNext[3] = {1, 2, 0};
    static constexpr int kAfter[3] = {2, 0, 1};
    const int face = 2 * axis + static_cast<int>(c[axis] < 0);
    // Both lie in -1 to 1 up to rounding, which the widened cells absorb:
    // the dominant magnitude is the largest.
    const float inverse = 1.0f / major;
    const float u = c[kNext[axis]] * inverse;
    const float v = c[kAfter[axis]] * inverse;
    auto index = [](float t) {
        const int i = static_cast<int>((t + 1.0f) * (0.5f * kGridSide));
        return std::min(std::max(i, 0), kGridSide - 1);
    };
    return (face * kGridSide + index(v)) * kGridSide + index(u);
}

Int4 GridCells(Float4 x, Float4 y, Float4 z) {
    const Float4 ax = Abs4(x);
    const Float4 ay = Abs4(y);
    const Float4 az = Abs4(z);
    const Int4 yOverX = ay > ax;
    const Float4 xyMax = Select4(yOverX, ay, ax);
    const Int4 zOverXY = az > xyMax;
    const Int4 axis = Select4(zOverXY, SplatInt4(2), Select4(yOverX, SplatInt4(1), SplatInt4(0)));
    const Float4 major = Select4(zOverXY, az, xyMax);
    // The dominant component, and the next two in the order x, y, z, x, y.
    const Float4 dominant = Select4(zOverXY, z, Select4(yOverX, y, x));
    const Float4 next = Select4(zOverXY, x, Select4(yOverX, z, y));
    const Float4 after = Select4(zOverXY, y, Select4(yOverX, x, z));
    const Int4 face = 2 * axis + Select4(dominant < 0.0f, SplatInt4(1), SplatInt4(0));
    const Float4 inverse = Splat4(1.0f) / major;
    auto index = [](Float4 t) {
        // t lies within -1.01 to 1.01, so the conversion is defined.
        const Int4 i = ConvertToInt4((t + 1.0f) * (0.5f * kGridSide));
        const Int4 low = Select4(i < 0, SplatInt4(0), i);
        return Select4(low > kGridSide - 1, SplatInt4(kGridSide - 1), low);
    };
    return (face * kGridSide + index(after * inverse)) * kGridSide + index(next * inverse);
}
