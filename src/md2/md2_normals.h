// The MD2 vertex normal table: 162 unit vectors (x, y, z) in their published
// order. A vertex's normal index byte selects one of them.
#pragma once

inline constexpr int kMd2NormalCount = 162;

extern const float kMd2Normals[kMd2NormalCount][3];
