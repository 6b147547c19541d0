// A real top-level window for placement tests: a USER32 window on Windows,
// a portable window on Linux.
#pragma once

#include "platform/platform.h"

WindowHandle CreateTestWindow(int x, int y, int width, int height);
void DestroyTestWindow(WindowHandle window);
