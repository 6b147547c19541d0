// Windows on Linux: a window is a rectangle on a screen of a set size. The
// portable dialogs and the tests create them; the desktop covers the screen.
#pragma once

#include "platform/platform.h"

struct PortableWindow {
    WindowRect rect;
};

// Sets the size of the screen (and so of the desktop window); 1024 x 768 at
// load.
void PortableSetScreenSize(int width, int height);
