// Placing a dialog in the middle of another window, kept on the screen.
#pragma once

#include "platform/platform.h"

struct WindowPoint {
    int x;
    int y;
};

// Where a window of rectangle `window` goes when centred over `reference`
// on a screen of the given size: halved differences (truncated toward zero),
// then each axis pulled back onto the screen.
WindowPoint CenterPosition(const WindowRect& window, const WindowRect& reference, int screenWidth,
                           int screenHeight);

// Moves the window to the middle of the reference window. 0 if a handle is
// null, else the result of the move.
int CenterWindow(WindowHandle window, WindowHandle reference);
