#include "util/center_window.h"

namespace {

// One axis: start at `centred`, keep [start, start + size) on [0, screen).
int KeepOnScreen(int centred, int size, int screen) {
    if (centred < 0) {
        return 0;
    }
    if (centred + size > screen) {
        return screen - size;
    }
    return centred;
}

}  // namespace

WindowPoint CenterPosition(const WindowRect& window, const WindowRect& reference, int screenWidth,
                           int screenHeight) {
    int w = window.right - window.left;
    int h = window.bottom - window.top;
    int x = reference.left + (reference.right - reference.left - w) / 2;
    int y = reference.top + (reference.bottom - reference.top - h) / 2;
    return {KeepOnScreen(x, w, screenWidth), KeepOnScreen(y, h, screenHeight)};
}

int CenterWindow(WindowHandle window, WindowHandle reference) {
    if (window == nullptr || reference == nullptr) {
        return 0;
    }
    WindowRect own{};
    WindowRect ref{};
    int screenWidth = 0;
    int screenHeight = 0;
    if (!PlatformGetWindowRect(window, &own) || !PlatformGetWindowRect(reference, &ref) ||
        !PlatformGetScreenSize(window, &screenWidth, &screenHeight)) {
        return 0;
    }
    WindowPoint p = CenterPosition(own, ref, screenWidth, screenHeight);
    return PlatformMoveWindow(window, p.x, p.y);
}
