#include "platform/portable/portable_window.h"

namespace {

int screenWidth = 1024;
int screenHeight = 768;
PortableWindow desktop = {{0, 0, 1024, 768}};

}  // namespace

void PortableSetScreenSize(int width, int height) {
    screenWidth = width;
    screenHeight = height;
    desktop.rect = {0, 0, width, height};
}

int PlatformGetWindowRect(WindowHandle window, WindowRect* rect) {
    if (window == nullptr || rect == nullptr) {
        return 0;
    }
    *rect = static_cast<PortableWindow*>(window)->rect;
    return 1;
}

int PlatformGetScreenSize(WindowHandle window, int* width, int* height) {
    if (window == nullptr) {
        return 0;
    }
    *width = screenWidth;
    *height = screenHeight;
    return 1;
}

int PlatformMoveWindow(WindowHandle window, int x, int y) {
    if (window == nullptr) {
        return 0;
    }
    WindowRect& r = static_cast<PortableWindow*>(window)->rect;
    r = {x, y, x + (r.right - r.left), y + (r.bottom - r.top)};
    return 1;
}

WindowHandle PlatformDesktopWindow() { return &desktop; }
