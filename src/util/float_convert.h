// Float-to-integer conversion with a defined result for every input.
//
// A plain cast of a float that is not a number, or whose truncated value lies
// outside the integer's range, is undefined behaviour. These conversions
// truncate toward zero like the cast and answer 0 in those cases instead. The
// x86 conversion instructions yield the lowest integer there, whose low 8 and
// low 16 bits are 0 too, so a value cut to a byte or a 16-bit word comes out
// the same as on that hardware.
#pragma once

#include <cstdint>

// `value` truncated toward zero; 0 when it is not a number or its truncated
// value does not fit an int32.
inline std::int32_t TruncateToInt32(float value) {
    // -2^31 and 2^31 are exact floats; no float lies strictly between -2^31 - 1 and -2^31.
    if (value >= -2147483648.0f && value < 2147483648.0f) {
        return static_cast<std::int32_t>(value);
    }
    return 0;
}

// As TruncateToInt32, for an int64.
inline std::int64_t TruncateToInt64(float value) {
    if (value >= -9223372036854775808.0f && value < 9223372036854775808.0f) {
        return static_cast<std::int64_t>(value);
    }
    return 0;
}

// The low 8 bits of an integer, as the byte a file stores.
inline std::uint8_t LowByte(std::int64_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

// The low 16 bits of an integer, read as a signed 16-bit value.
inline std::int16_t Low16(std::int32_t value) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}
