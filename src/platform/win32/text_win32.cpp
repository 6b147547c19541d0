// Text services on Windows: the system's ANSI code page through KERNEL32 and
// the C runtime's conversions in its default locale.
#include <windows.h>

#include <cstdlib>

#include "platform/platform.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

namespace {

const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

}  // namespace

int PlatformCodePageToWide(const char* text, char16_t* out, int capacity) {
    if (text == nullptr || out == nullptr || capacity <= 0) {
        return 0;
    }
    return MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, reinterpret_cast<wchar_t*>(out), capacity);
}

int PlatformWideToCodePage(const char16_t* text, char* out, int capacity) {
    if (text == nullptr || out == nullptr || capacity <= 0) {
        return 0;
    }
    return WideCharToMultiByte(CP_ACP, 0, W(text), -1, out, capacity, nullptr, nullptr);
}

int PlatformCrtCharToNarrow(const char16_t* text, char* out, int* unitsUsed) {
    *unitsUsed = 1;
    if (MB_CUR_MAX > kPlatformMaxCharBytes) {
        return -1;
    }
    return std::wctomb(out, static_cast<wchar_t>(text[0]));
}

int PlatformCrtCharToWide(const char* text, std::size_t available, char16_t units[2], int* unitCount) {
    wchar_t unit = 0;
    int used = std::mbtowc(&unit, text, available);
    if (used <= 0) {
        return -1;
    }
    units[0] = static_cast<char16_t>(unit);
    *unitCount = 1;
    return used;
}
