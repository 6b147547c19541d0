// The 32x32 icon of a player model: frame 0 drawn by the preview renderer
// (OSMesa, Linux only) with its skin, on the transparent index, each pixel
// then the nearest palette colour.
#pragma once

#include <string>

#include "md2tool/palette.h"

inline constexpr int kPlayerIconSize = 32;

// Draws frame 0 of the model at `modelPath` with the skin at `skinPath`
// into a 128x128 picture (a PNG beside the model while it is drawn, then
// removed) and takes the mean of each 4x4 block: a block mostly background
// takes the transparent index. False with the reason.
bool DrawPlayerIcon(const std::string& modelPath, const std::string& skinPath, IndexedImage* icon, std::string* error);
