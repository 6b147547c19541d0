// The raw bytes of an MD2 file with its decoded header, and bounded access
// to its records. Every accessor takes an index the caller has checked
// against the header's counts, and a section is only read after
// SectionInFile said it lies wholly inside the bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "md2/md2_format.h"

struct Md2FileView {
    const std::uint8_t* bytes;
    std::uint32_t length;
    Md2Header header;
};

// False with a message when the bytes are too short for a header or do not
// start with the MD2 magic.
bool OpenMd2View(const std::uint8_t* bytes, std::size_t length, Md2FileView* view, std::string* error);

// Md2SectionFits with the tool's rule: no records fit anywhere from 0 to the
// length.
bool SectionInFile(const Md2FileView& view, std::int32_t offset, std::int32_t count, std::uint64_t recordBytes);

// The bytes of one frame of the file; its vertex count must not be negative.
std::uint64_t FrameBytesOf(const Md2Header& header);

// Each of the sections the header names, checked as above.
bool SkinsInFile(const Md2FileView& view);
bool TexCoordsInFile(const Md2FileView& view);
bool TrianglesInFile(const Md2FileView& view);
bool FramesInFile(const Md2FileView& view);
bool GlCommandsInFile(const Md2FileView& view);

Md2SkinRecord SkinAt(const Md2FileView& view, int index);
Md2TexCoordRecord TexCoordAt(const Md2FileView& view, int index);
Md2TriangleRecord TriangleAt(const Md2FileView& view, int index);
Md2FrameHeader FrameHeaderAt(const Md2FileView& view, int frame);
// The four bytes of a vertex: x, y, z, normal index.
const std::uint8_t* VertexAt(const Md2FileView& view, int frame, int vertex);
std::int32_t GlCommandWordAt(const Md2FileView& view, int index);

// True when every triangle's vertex and texture-coordinate indices lie
// within the header's counts.
bool TriangleIndicesInRange(const Md2FileView& view);

// A frame's name, cut at its first NUL (16 characters at most).
std::string FrameNameOf(const Md2FrameHeader& frame);
