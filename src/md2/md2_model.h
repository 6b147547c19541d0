// An MD2 file decoded in memory: its frames, skins, texture coordinates and
// triangles.
#pragma once

#include <cstdint>

#include "md2/md2_format.h"

struct Md2Position {
    float x;
    float y;
    float z;
};

// A frame as the file holds it: its positions are decoded on demand
// (md2/md2_frame_positions.h) from its vertex records, which lie in the
// model's bytes or in those it borrowed.
struct Md2Frame {
    int vertexCount;
    const std::uint8_t* vertices;         // vertexCount records of kMd2VertexBytes, null when there are none
    float scale[3];
    float translate[3];
    char name[kMd2FrameNameChars + 1];    // always terminated
};

// Indices in the file's corner order, sign-extended from 16 bits.
struct Md2Triangle {
    int cornerCount;  // always 3
    int vertexIndices[3];
    int texCoordIndices[3];
};

struct Md2TexCoord {
    float u;
    float v;
};

// A skin's path as the file holds it, up to its first NUL (all 64 bytes when
// there is none); always terminated.
struct Md2SkinName {
    char path[kMd2SkinBytes + 1];
};

struct Md2Model {
    int frameCount;
    Md2Frame* frames;
    int skinCount;
    Md2SkinName* skins;
    int texCoordCount;
    Md2TexCoord* texCoords;
    int triangleCount;
    Md2Triangle* triangles;
    std::uint8_t* bytes;                  // owned (new[]): the frames section the frames point into;
                                          // null when they point into bytes the model borrowed
    std::uint32_t byteCount;              // the length of `bytes`
};

// Frees every array of the model and resets all its fields to zero. Safe on
// an empty model.
void ReleaseMd2Model(Md2Model* model);
