#include "support/test_window.h"

#ifdef _WIN32
#include <windows.h>

WindowHandle CreateTestWindow(int x, int y, int width, int height) {
    return CreateWindowExW(0, L"STATIC", L"placement", WS_POPUP, x, y, width, height, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

void DestroyTestWindow(WindowHandle window) { DestroyWindow(static_cast<HWND>(window)); }
#else
#include "platform/portable/portable_window.h"

WindowHandle CreateTestWindow(int x, int y, int width, int height) {
    return new PortableWindow{{x, y, x + width, y + height}};
}

void DestroyTestWindow(WindowHandle window) { delete static_cast<PortableWindow*>(window); }
#endif
