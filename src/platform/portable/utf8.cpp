#include "platform/portable/utf8.h"

#include <cstdint>

int Utf8EncodeOne(const char16_t* text, char* out, int* unitsUsed) {
    char32_t cp = text[0];
    *unitsUsed = 1;
    if (cp >= 0xD800 && cp <= 0xDBFF) {
        char32_t low = text[1];
        if (low < 0xDC00 || low > 0xDFFF) {
            return -1;
        }
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        *unitsUsed = 2;
    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
        return -1;
    }
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

int Utf8DecodeOne(const char* text, std::size_t available, char16_t units[2], int* unitCount) {
    if (available == 0) {
        return -1;
    }
    const auto* b = reinterpret_cast<const std::uint8_t*>(text);
    int length;
    char32_t cp;
    char32_t minimum;
    if (b[0] < 0x80) {
        units[0] = b[0];
        *unitCount = 1;
        return 1;
    } else if ((b[0] & 0xE0) == 0xC0) {
        length = 2;
        cp = b[0] & 0x1F;
        minimum = 0x80;
    } else if ((b[0] & 0xF0) == 0xE0) {
        length = 3;
        cp = b[0] & 0x0F;
        minimum = 0x800;
    } else if ((b[0] & 0xF8) == 0xF0) {
        length = 4;
        cp = b[0] & 0x07;
        minimum = 0x10000;
    } else {
        return -1;
    }
    if (available < static_cast<std::size_t>(length)) {
        return -1;
    }
    for (int i = 1; i < length; ++i) {
        if ((b[i] & 0xC0) != 0x80) {
            return -1;
        }
        cp = (cp << 6) | (b[i] & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return -1;
    }
    if (cp < 0x10000) {
        units[0] = static_cast<char16_t>(cp);
        *unitCount = 1;
    } else {
        cp -= 0x10000;
        units[0] = static_cast<char16_t>(0xD800 + (cp >> 10));
        units[1] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        *unitCount = 2;
    }
    return length;
}
