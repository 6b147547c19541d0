// Bounded reading from a file's bytes held in memory.
#pragma once

#include <cstdint>

struct ReadCursor {
    const std::uint8_t* data;
    std::uint32_t position;
    std::uint32_t length;
};

// Moves to `offset`; false, without moving, unless it lies below the length.
bool CursorSeek(ReadCursor* cursor, std::uint32_t offset);

// The next `count` bytes, moving past them; null, without moving, when they
// would run past the end.
const std::uint8_t* CursorRead(ReadCursor* cursor, std::uint64_t count);
