#include "md2/normal_grid.h"

#include <algorithm>
#include <cmath>

namespace {

// Derived from the normal table once, by the program that writes the rows,
// and carried as data: building it at run time takes arc cosines that cost
// the Windows C runtime tens of milliseconds.
constexpr NormalGrid kNormalGrid = {
    {
#include "md2/normal_grid_cells.inc"
    },
    true};

}  // namespace

const NormalGrid& TheNormalGrid() { return kNormalGrid; }

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
