// Text services on Linux: UTF-8 is both the system code page and the C
// runtime's locale, so every conversion is lossless.
#include <cstring>

#include "platform/platform.h"
#include "platform/portable/utf8.h"

int PlatformCodePageToWide(const char* text, char16_t* out, int capacity) {
    if (text == nullptr || out == nullptr || capacity <= 0) {
        return 0;
    }
    std::size_t available = std::strlen(text);
    int written = 0;
    while (available > 0) {
        char16_t units[2];
        int count = 0;
        int used = Utf8DecodeOne(text, available, units, &count);
        if (used < 0 || written + count >= capacity) {
            return 0;
        }
        for (int i = 0; i < count; ++i) {
            out[written++] = units[i];
        }
        text += used;
        available -= static_cast<std::size_t>(used);
    }
    out[written++] = 0;
    return written;
}

int PlatformWideToCodePage(const char16_t* text, char* out, int capacity) {
    if (text == nullptr || out == nullptr || capacity <= 0) {
        return 0;
    }
    int written = 0;
    while (*text != 0) {
        char bytes[4];
        int units = 1;
        int length = Utf8EncodeOne(text, bytes, &units);
        if (length < 0) {
            // The system's default character for what has no equivalent.
            bytes[0] = '?';
            length = 1;
        }
        if (written + length >= capacity) {
            return 0;
        }
        std::memcpy(out + written, bytes, static_cast<std::size_t>(length));
        written += length;
        text += units;
    }
    out[written++] = 0;
    return written;
}

int PlatformCrtCharToNarrow(const char16_t* text, char* out, int* unitsUsed) {
    return Utf8EncodeOne(text, out, unitsUsed);
}

int PlatformCrtCharToWide(const char* text, std::size_t available, char16_t units[2], int* unitCount) {
    return Utf8DecodeOne(text, available, units, unitCount);
}
