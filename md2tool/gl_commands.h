// GL command lists: the triangle strips and fans a Quake 2 style renderer
// draws a model from. The list is a sequence of 32-bit words: a count n
// (n > 0: a strip of n vertices, n < 0: a fan of -n vertices, 0: the end),
// then per vertex the texture coordinates s and t as raw floats and the
// vertex index. Strips and fans keep the winding of the triangle list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "md2/md2_format.h"

// A texture coordinate of the list: the texel's centre (the half-texel
// offset of the original tools) over the skin's size.
inline float GlTexCoord(std::int16_t texel, float size) { return (static_cast<float>(texel) + 0.5f) / size; }

// Builds the command list, terminator included. Triangles chain only
// through edges whose corners agree in vertex index and in texture
// coordinates; every triangle is emitted exactly once. Each round takes the
// longest strip or fan that starts from any triangle not yet emitted, in any
// of its three rotations. The triangles' indices must lie within `texCoords`
// and the skin size must be positive.
std::vector<std::int32_t> BuildGlCommandList(const std::vector<Md2TriangleRecord>& triangles,
                                             const std::vector<Md2TexCoordRecord>& texCoords, int skinWidth,
                                             int skinHeight);

// One triangle as the renderer draws it from a list, in drawing order.
struct GlDrawnCorner {
    int vertex;
    float s;
    float t;
};
struct GlDrawnTriangle {
    GlDrawnCorner corners[3];
};

// The triangles a command list draws, with the renderer's rules for strips
// (odd triangles swap their first two corners) and fans. False with a
// message when the list runs past `wordCount` before its terminator, has a
// run of fewer than 3 vertices, or names a vertex outside 0..vertexCount-1.
bool DecodeGlCommandList(const std::int32_t* words, std::size_t wordCount, int vertexCount,
                         std::vector<GlDrawnTriangle>* triangles, std::string* error);

struct GlCommandStats {
    int strips;
    int fans;
};
GlCommandStats CountGlRuns(const std::vector<std::int32_t>& words);
