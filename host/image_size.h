// Width and height of an image file, read from its header: PCX, TGA, BMP and
// PNG. This is what the host's LoadImage reports.
#pragma once

#include <cstdio>

// False when the file is not one of the known formats or is cut short.
bool ReadImageSize(std::FILE* file, int* width, int* height);
