// Skin images: PCX decoded here (stb_image does not read it), TGA and PNG
// through stb_image.
#include <algorithm>
#include <cctype>

#include <stb_image.h>

#include "md2tool/md2_file_view.h"
#include "md2tool/rgba_image.h"
#include "md2tool/tool_files.h"

namespace {

// 8 bits per pixel, one plane, run-length encoded, with the 256-colour
// palette in the last 769 bytes (a 12 marker, then RGB triples).
bool DecodePcx(const std::vector<std::uint8_t>& bytes, RgbaImage* image, std::string* error) {
    constexpr std::size_t kHeader = 128;
    constexpr std::size_t kPalette = 769;
    if (bytes.size() < kHeader + kPalette || bytes[0] != 0x0A || bytes[2] != 1 || bytes[3] != 8 || bytes[65] != 1) {
        *error = "not an 8-bit paletted PCX image";
        return false;
    }
    auto word = [&bytes](std::size_t at) { return bytes[at] | bytes[at + 1] << 8; };
    const int width = word(8) - word(4) + 1;
    const int height = word(10) - word(6) + 1;
    const int stride = word(66);
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192 || stride < width) {
        *error = "PCX image of unusable size";
        return false;
    }
    const std::uint8_t* palette = bytes.data() + bytes.size() - kPalette;
    if (palette[0] != 12) {
        *error = "PCX image without a 256-colour palette";
        return false;
    }
    image->width = width;
    image->height = height;
    image->pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 255);
    std::size_t at = kHeader;
    const std::size_t end = bytes.size() - kPalette;
    for (int y = 0; y < height; ++y) {
        int x = 0;
        while (x < stride) {
            if (at >= end) {
                *error = "PCX image data ends early";
                return false;
            }
            int run = 1;
            std::uint8_t value = bytes[at++];
            if ((value & 0xC0) == 0xC0) {
                run = value & 0x3F;
                if (at >= end) {
                    *error = "PCX image data ends early";
                    return false;
                }
                value = bytes[at++];
            }
            for (; run > 0 && x < stride; --run, ++x) {
                if (x < width) {
                    std::uint8_t* p = &image->pixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                                      static_cast<std::size_t>(x)) * 4];
                    p[0] = palette[1 + 3 * value];
                    p[1] = palette[2 + 3 * value];
                    p[2] = palette[3 + 3 * value];
                }
            }
        }
    }
    return true;
}

}  // namespace

bool LoadSkinImage(const std::string& path, RgbaImage* image, std::string* error) {
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(path, &bytes, error)) {
        return false;
    }
    std::string extension = path.substr(path.find_last_of('.') == std::string::npos ? path.size() : path.find_last_of('.'));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".pcx") {
        if (!DecodePcx(bytes, image, error)) {
            *error = path + ": " + *error;
            return false;
        }
        return true;
    }
    if (extension != ".tga" && extension != ".png") {
        *error = path + ": skins are read from PCX, TGA or PNG files";
        return false;
    }
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, 4);
    if (pixels == nullptr) {
        *error = path + ": " + stbi_failure_reason();
        return false;
    }
    image->width = width;
    image->height = height;
    image->pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    stbi_image_free(pixels);
    return true;
}

RgbaImage CheckerImage(int width, int height) {
    RgbaImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t grey = ((x / 8 + y / 8) % 2 == 0) ? 176 : 128;
            std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                             static_cast<std::size_t>(x)) * 4];
            p[0] = p[1] = p[2] = grey;
            p[3] = 255;
        }
    }
    return image;
}
