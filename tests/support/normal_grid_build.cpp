// The derivation of the normal lookup grid the plug-in carries as a table:
// the test of the table and the program that writes it both run it.
#include "support/normal_grid_build.h"

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

}  // namespace

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
