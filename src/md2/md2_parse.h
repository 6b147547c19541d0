// Decoding an MD2 file held in memory.
#pragma once

#include <cstdint>

#include "host_api/host_records.h"
#include "md2/md2_model.h"
#include "md2/read_cursor.h"

// Decodes the bytes from the cursor's position into the model: 1 loaded, 0
// failed, 3 not an MD2 file (the read request's answers). Every section is
// checked against the bytes before it is decoded. Failure texts go into
// errorText (which may be null). Leaves the model empty after a failure;
// keeps the model's sourcePath. The model keeps a copy of the frames
// section, which its frames point into.
int ParseMd2(ReadCursor* cursor, Md2Model* model, TextPair* errorText);

// ParseMd2 over `length` bytes from `bytes`, which the model takes over
// (they must come from NewLargeBuffer(length)) whatever the answer: its frames point into
// them, and nothing is copied. Released with the model, or at once after a
// failure.
int ParseMd2Adopting(std::uint8_t* bytes, std::uint32_t length, Md2Model* model, TextPair* errorText);
