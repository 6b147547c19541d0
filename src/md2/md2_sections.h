// Writing an MD2 file's sections: each record as the file holds it, and the
// bounded writes of whole sections into an open file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "md2/md2_format.h"

// Each Encode function fills exactly the record's byte size of `bytes`.
void EncodeMd2Header(const Md2Header& header, std::uint8_t bytes[kMd2HeaderBytes]);
void EncodeMd2TexCoord(const Md2TexCoordRecord& record, std::uint8_t bytes[kMd2TexCoordBytes]);
void EncodeMd2Triangle(const Md2TriangleRecord& record, std::uint8_t bytes[kMd2TriangleBytes]);
// Scale, translate and the 16-byte name field as given.
void EncodeMd2FrameHeader(const Md2FrameHeader& header, std::uint8_t bytes[kMd2FrameHeaderBytes]);

// Writes `size` bytes; false when the write came up short.
bool WriteMd2Bytes(std::FILE* file, const std::uint8_t* bytes, std::size_t size);
bool WriteMd2Header(std::FILE* file, const Md2Header& header);

// The current position as a header offset; false when it cannot be taken or
// is beyond kMd2LargestOffset.
bool TakeMd2Offset(std::FILE* file, std::int32_t* offset);
