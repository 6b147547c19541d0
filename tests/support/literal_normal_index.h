// The normal index found literally, as the reference the fast NormalIndex is
// checked and measured against: the rule searched over all 162 table
// entries, with an arc cosine per entry; and seeded random unit normals to
// feed both.
#pragma once

#include <cmath>
#include <random>

#include "geom/vector3.h"
#include "md2/md2_normals.h"

// Every entry in index order; an entry qualifies when each component differs
// by less than 0.0001 (single-precision difference, absolute value in double
// converted back), or else when the single-precision arc cosine of
// y.y' + x.x' + z.z' is below 1 radian. The qualifying entry with the largest
// dot product wins, the first on a tie; none gives 0.
inline int BruteForceNormalIndex(const Vector3& n) {
    int best = -1;
    float bestDot = 0;
    for (int i = 0; i < kMd2NormalCount; ++i) {
        const float* e = kMd2Normals[i];
        const float dot = n.y * e[1] + n.x * e[0] + n.z * e[2];
        bool equal = true;
        const float diffs[3] = {n.x - e[0], n.y - e[1], n.z - e[2]};
        for (float d : diffs) {
            equal = equal && static_cast<float>(std::fabs(static_cast<double>(d))) < 9.9999997e-05f;
        }
        const float angle = std::acos(dot);
        if ((equal || angle < 1.0f) && (best < 0 || dot > bestDot)) {
            best = i;
            bestDot = dot;
        }
    }
    return best < 0 ? 0 : best;
}

// A direction uniform over the sphere: a point of the unit ball pushed out
// to its surface.
inline Vector3 RandomUnitNormal(std::mt19937& random) {
    std::uniform_real_distribution<float> coordinate(-1.0f, 1.0f);
    for (;;) {
        const Vector3 p = {coordinate(random), coordinate(random), coordinate(random)};
        const float length2 = p.x * p.x + p.y * p.y + p.z * p.z;
        if (length2 <= 1.0f && length2 >= 1e-6f) {
            const float inverse = 1.0f / std::sqrt(length2);
            return {p.x * inverse, p.y * inverse, p.z * inverse};
        }
    }
}
