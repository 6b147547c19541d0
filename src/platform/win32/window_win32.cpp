// Window placement on Windows through USER32 and GDI32.
#include <windows.h>

#include "platform/platform.h"

int PlatformGetWindowRect(WindowHandle window, WindowRect* rect) {
    RECT r;
    if (window == nullptr || rect == nullptr || !GetWindowRect(static_cast<HWND>(window), &r)) {
        return 0;
    }
    *rect = {r.left, r.top, r.right, r.bottom};
    return 1;
}

int PlatformGetScreenSize(WindowHandle window, int* width, int* height) {
    HDC dc = GetDC(static_cast<HWND>(window));
    if (dc == nullptr) {
        return 0;
    }
    *width = GetDeviceCaps(dc, HORZRES);
    *height = GetDeviceCaps(dc, VERTRES);
    ReleaseDC(static_cast<HWND>(window), dc);
    return 1;
}

int PlatformMoveWindow(WindowHandle window, int x, int y) {
    return SetWindowPos(static_cast<HWND>(window), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER) ? 1 : 0;
}

WindowHandle PlatformDesktopWindow() { return GetDesktopWindow(); }
