#include "md2tool/skin_conversion.h"

#include <algorithm>

#include "md2tool/pcx_file.h"
#include "md2tool/rgba_image.h"
#include "md2tool/tool_files.h"

bool ConvertSkinImage(const std::string& path, int maxWidth, int maxHeight, SkinConversion* skin, std::string* error) {
    RgbaImage image;
    if (!LoadSkinImage(path, &image, error)) {
        return false;
    }
    skin->sourceWidth = image.width;
    skin->sourceHeight = image.height;
    int width = 0;
    int height = 0;
    FittedSize(image.width, image.height, maxWidth, maxHeight, &width, &height);
    skin->scaled = width != image.width || height != image.height;
    skin->image = ToPaletteImage(skin->scaled ? ScaledDown(image, width, height) : image);
    return true;
}

bool WritePcxFile(const std::string& path, const IndexedImage& image, std::string* error) {
    const std::vector<std::uint8_t> bytes = EncodePcx(image);
    auto check = [&image](const std::vector<std::uint8_t>& written, std::string* why) {
        IndexedImage back;
        std::vector<std::uint8_t> palette;
        if (!DecodePcxIndexed(written, &back, &palette, why)) {
            return false;
        }
        if (back.width != image.width || back.height != image.height || back.indices != image.indices ||
            !std::equal(palette.begin(), palette.end(), Quake2Palette())) {
            *why = "it does not decode to the converted picture";
            return false;
        }
        return true;
    };
    return WriteFileReplacing(path, bytes, check, error);
}

std::string DescribeSkinConversion(const SkinConversion& skin, int maxWidth, int maxHeight) {
    std::string text = std::to_string(skin.image.width) + "x" + std::to_string(skin.image.height);
    if (skin.scaled) {
        text += ", scaled down from " + std::to_string(skin.sourceWidth) + "x" + std::to_string(skin.sourceHeight) +
                " to fit " + std::to_string(maxWidth) + "x" + std::to_string(maxHeight);
    }
    return text;
}
