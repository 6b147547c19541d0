// Decoding an MD2 file held in memory.
#pragma once

#include <cstdint>

#include "md2/md2_model.h"
#include "md2/read_cursor.h"

// What a parse found: the model loaded, or why it was refused.
enum class Md2ParseResult {
    kLoaded,
    kNoBytes,            // no bytes, or no model to fill
    kTooShort,           // fewer bytes than the 68-byte header
    kNotMd2,             // the header does not start with the MD2 magic
    kNoGeometry,         // no frames, triangles or texture coordinates
    kNegativeCount,      // a count of the header below 0
    kSkinsOutside,       // a section that does not lie wholly inside the bytes,
    kTexCoordsOutside,   // or starts at their end
    kTrianglesOutside,
    kFramesOutside,
    kFlatSkin,           // texture coordinates on a skin 0 texels wide or high
    kNoMemory,
};

// Decodes the bytes from the cursor's position into the model. Every
// section is checked against the bytes before it is decoded. Leaves the
// model empty after a failure. The model keeps a copy of the frames
// section, which its frames point into.
Md2ParseResult ParseMd2(ReadCursor* cursor, Md2Model* model);

// ParseMd2 over `length` bytes from `bytes`, whose frames section the frames
// point into where it lies: nothing of it is copied or read beyond each
// frame's header. The bytes must outlive the model.
Md2ParseResult ParseMd2InPlace(const std::uint8_t* bytes, std::uint32_t length, Md2Model* model);
