#include "util/text.h"

#include <cstring>

#include "platform/platform.h"

std::size_t U16Length(const char16_t* text, std::size_t limit) {
    std::size_t n = 0;
    if (text != nullptr) {
        while (n < limit && text[n] != 0) {
            ++n;
        }
    }
    return n;
}

std::size_t U16Copy(char16_t* dst, std::size_t capacity, const char16_t* src) {
    if (dst == nullptr || capacity == 0) {
        return 0;
    }
    std::size_t n = U16Length(src, capacity - 1);
    if (dst != src && n > 0) {
        std::memmove(dst, src, n * sizeof(char16_t));
    }
    dst[n] = 0;
    return n;
}

bool U16Equal(const char16_t* a, const char16_t* b) {
    if (a == nullptr || b == nullptr) {
        return a == b;
    }
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

std::size_t NarrowCopy(char* dst, std::size_t capacity, const char* src) {
    if (dst == nullptr || capacity == 0) {
        return 0;
    }
    std::size_t n = src == nullptr ? 0 : strnlen(src, capacity - 1);
    if (dst != src && n > 0) {
        std::memmove(dst, src, n);
    }
    dst[n] = 0;
    return n;
}

int ToWide(const char* text, char16_t* out, int capacity) {
    int n = PlatformCodePageToWide(text, out, capacity);
    if (n == 0 && out != nullptr && capacity > 0) {
        out[0] = 0;
    }
    return n;
}

int ToNarrow(const char16_t* text, char* out, int capacity) {
    int n = PlatformWideToCodePage(text, out, capacity);
    if (n == 0 && out != nullptr && capacity > 0) {
        out[0] = 0;
    }
    return n;
}

std::size_t CrtWideToNarrow(const char16_t* text, char* out, std::size_t capacity) {
    if (out == nullptr || capacity == 0) {
        return 0;
    }
    std::size_t written = 0;
    while (text != nullptr && *text != 0) {
        char bytes[kPlatformMaxCharBytes];
        int units = 1;
        int length = PlatformCrtCharToNarrow(text, bytes, &units);
        if (length <= 0) {
            bytes[0] = '?';
            length = 1;
        }
        if (written + static_cast<std::size_t>(length) > capacity - 1) {
            break;
        }
        std::memcpy(out + written, bytes, static_cast<std::size_t>(length));
        written += static_cast<std::size_t>(length);
        text += units;
    }
    out[written] = 0;
    return written;
}

std::size_t CrtNarrowToWide(const char* text, char16_t* out, std::size_t capacity) {
    if (out == nullptr || capacity == 0) {
        return 0;
    }
    std::size_t written = 0;
    std::size_t available = text == nullptr ? 0 : std::strlen(text);
    while (available > 0) {
        char16_t units[2] = {u'?', 0};
        int count = 1;
        int used = PlatformCrtCharToWide(text, available, units, &count);
        if (used <= 0) {
            units[0] = u'?';
            count = 1;
            used = 1;
        }
        if (written + static_cast<std::size_t>(count) > capacity - 1) {
            break;
        }
        for (int i = 0; i < count; ++i) {
            out[written++] = units[i];
        }
        text += used;
        available -= static_cast<std::size_t>(used);
    }
    out[written] = 0;
    return written;
}

std::size_t WholeCharacterPrefix(const char* text, std::size_t length, std::size_t limit) {
    std::size_t n = 0;
    while (n < length) {
        char16_t units[2];
        int count = 0;
        int used = PlatformCrtCharToWide(text + n, length - n, units, &count);
        if (used <= 0) {
            used = 1;
        }
        if (n + static_cast<std::size_t>(used) > limit) {
            break;
        }
        n += static_cast<std::size_t>(used);
    }
    return n;
}

void TextPairFromWide(TextPair* pair, const char16_t* text) {
    if (pair == nullptr) {
        return;
    }
    U16Copy(pair->wide, kTextPairUnits, text);
    CrtWideToNarrow(pair->wide, pair->narrow, kTextPairUnits);
}

void TextPairFromNarrow(TextPair* pair, const char* text) {
    if (pair == nullptr) {
        return;
    }
    if (text == nullptr) {
        TextPairClear(pair);
        return;
    }
    std::size_t n = WholeCharacterPrefix(text, std::strlen(text), kTextPairUnits - 1);
    if (text != pair->narrow) {
        std::memmove(pair->narrow, text, n);
    }
    pair->narrow[n] = 0;
    CrtNarrowToWide(pair->narrow, pair->wide, kTextPairUnits);
}

void TextPairClear(TextPair* pair) {
    if (pair != nullptr) {
        pair->wide[0] = 0;
        pair->narrow[0] = 0;
    }
}

void TextPairCopy(TextPair* dst, const TextPair* src) {
    if (dst == nullptr || src == nullptr || dst == src) {
        return;
    }
    U16Copy(dst->wide, kTextPairUnits, src->wide);
    NarrowCopy(dst->narrow, kTextPairUnits, src->narrow);
}
