// Skins in the Quake 2 palette: an image read, scaled down to fit, each
// pixel mapped to the nearest colour, written as an 8-bit PCX through a
// verified replace. `corvane-md2 skin` and corvane-host's player export
// both convert through here.
#pragma once

#include <string>

#include "md2tool/palette.h"

struct SkinConversion {
    IndexedImage image;
    int sourceWidth = 0;
    int sourceHeight = 0;
    bool scaled = false;  // the source was larger than the limit
};

// Reads a PNG, TGA, JPEG or PCX image and converts it, scaled down to fit
// maxWidth x maxHeight. False with one line naming the file and the reason.
bool ConvertSkinImage(const std::string& path, int maxWidth, int maxHeight, SkinConversion* skin, std::string* error);

// Writes the picture as PCX beside `path`, reads it back and checks that it
// decodes to the same indices and palette, then replaces `path`.
bool WritePcxFile(const std::string& path, const IndexedImage& image, std::string* error);

// What the conversion did, for a note: "WxH" and, when scaled, where from.
std::string DescribeSkinConversion(const SkinConversion& skin, int maxWidth, int maxHeight);
