// Skin images written for tests as PCX (8-bit paletted, run-length
// encoded), TGA (32-bit, rows from the top) or PNG, from one pattern whose
// RGBA pixels the test knows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// width x height x 4 bytes, opaque: palette colour (x * 7 + y * 13 + seed) mod 256,
// where colour i is (i, 255 - i, 37 i mod 256).
std::vector<std::uint8_t> SkinPattern(int width, int height, int seed);

// Writes the pattern to `path` in the format of its extension (.pcx, .tga, .png).
bool WriteSkinFile(const std::string& path, int width, int height, int seed);
