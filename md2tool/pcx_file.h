// 8-bit paletted PCX files, as Quake 2 reads its skins: one plane, run-length
// encoded, the 256-colour palette in the last 769 bytes (12, then RGB).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "md2tool/palette.h"

// The picture with the Quake 2 palette. Each line holds exactly `width`
// bytes (the engine's reader ignores the header's line length), runs never
// cross a line and are at most 63 long.
std::vector<std::uint8_t> EncodePcx(const IndexedImage& image);

// Decodes an 8-bit, one-plane PCX with its palette (768 bytes, RGB). False
// with the reason for anything else or data that ends early.
bool DecodePcxIndexed(const std::vector<std::uint8_t>& bytes, IndexedImage* image, std::vector<std::uint8_t>* palette,
                      std::string* error);
