// The Quake 2 palette and pictures in it: each pixel the nearest of the
// game's colours, 255 the transparent index.
#pragma once

#include <cstdint>
#include <vector>

#include "md2tool/rgba_image.h"

inline constexpr int kPaletteColours = 256;
inline constexpr std::uint8_t kTransparentIndex = 255;
// The largest skin the engine takes; larger pictures are scaled down to fit.
inline constexpr int kLargestSkinWidth = 640;
inline constexpr int kLargestSkinHeight = 480;

// The 256 colours as RGB triples (768 bytes), compiled in from
// md2tool/quake2-palette.csv.
const std::uint8_t* Quake2Palette();

// The index (0 to 254) of the colour nearest to r, g, b by squared
// distance, the lowest index among equals.
std::uint8_t NearestPaletteIndex(std::uint8_t r, std::uint8_t g, std::uint8_t b);

struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices;  // width x height, rows from the top
};

// Each pixel's nearest colour; pixels with alpha below 128 take the
// transparent index.
IndexedImage ToPaletteImage(const RgbaImage& image);

// The size that fits within maxWidth x maxHeight keeping the picture's
// aspect (each side rounded down, at least 1); the picture's own size when
// it fits.
void FittedSize(int width, int height, int maxWidth, int maxHeight, int* fittedWidth, int* fittedHeight);

// The picture scaled down to the given size, each pixel the mean of the
// source pixels it covers (whole pixels, by their integer bounds).
RgbaImage ScaledDown(const RgbaImage& image, int width, int height);
