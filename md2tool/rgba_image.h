// An 8-bit RGBA picture, rows from the top.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width x height x 4
};

// Reads a PCX (8-bit paletted, as Quake 2 skins are), TGA, PNG or JPEG image,
// chosen by the file's extension. False with a message otherwise.
bool LoadSkinImage(const std::string& path, RgbaImage* image, std::string* error);

// A grey checker of 8 x 8 squares, for models without a skin image.
RgbaImage CheckerImage(int width, int height);

// The picture as PNG bytes; false when it is empty or cannot be encoded.
bool EncodePng(const RgbaImage& image, std::vector<std::uint8_t>* png);

// Writes the picture as a PNG through a temporary file; nothing is left
// behind on failure.
bool WritePng(const std::string& path, const RgbaImage& image, std::string* error);
