// A frame's positions, decoded from its vertex records when they are wanted:
// each axis is byte x scale + translate, rounded to single precision after
// the product and again after the sum.
#pragma once

#include <cstdint>

#include "md2/md2_model.h"

// Every value a coordinate byte can take in one frame, per axis. A byte has
// only 256 values, so a frame's results are taken once and its vertices are
// decoded by lookup.
struct Md2AxisValues {
    float values[3][256];
};

void TabulateMd2Frame(const Md2Frame& frame, Md2AxisValues* table);

// The position of the vertex record at `vertex` (kMd2VertexBytes bytes).
inline Md2Position Md2VertexPosition(const Md2AxisValues& table, const std::uint8_t* vertex) {
    return Md2Position{table.values[0][vertex[0]], table.values[1][vertex[1]], table.values[2][vertex[2]]};
}

// Writes the frame's vertexCount positions to `out`.
void DecodeMd2FramePositions(const Md2Frame& frame, Md2Position* out);
