#include "md2/read_cursor.h"

bool CursorSeek(ReadCursor* cursor, std::uint32_t offset) {
    if (offset >= cursor->length) {
        return false;
    }
    cursor->position = offset;
    return true;
}

const std::uint8_t* CursorRead(ReadCursor* cursor, std::uint64_t count) {
    // 64-bit sum: a 32-bit one could wrap past the length check.
    if (static_cast<std::uint64_t>(cursor->position) + count > cursor->length) {
        return nullptr;
    }
    const std::uint8_t* bytes = cursor->data + cursor->position;
    cursor->position += static_cast<std::uint32_t>(count);
    return bytes;
}
