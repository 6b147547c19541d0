// Skin images: PCX decoded here (stb_image does not read it), TGA, PNG and
// JPEG through stb_image.
#include <algorithm>
#include <cctype>

#include <stb_image.h>

#include "md2tool/md2_file_view.h"
#include "md2tool/pcx_file.h"
#include "md2tool/rgba_image.h"
#include "md2tool/tool_files.h"

namespace {

// The paletted picture as RGBA, every pixel opaque.
bool DecodePcx(const std::vector<std::uint8_t>& bytes, RgbaImage* image, std::string* error) {
    IndexedImage indexed;
    std::vector<std::uint8_t> palette;
    if (!DecodePcxIndexed(bytes, &indexed, &palette, error)) {
        return false;
    }
    image->width = indexed.width;
    image->height = indexed.height;
    image->pixels.assign(indexed.indices.size() * 4, 255);
    for (std::size_t i = 0; i < indexed.indices.size(); ++i) {
        std::copy_n(&palette[3 * std::size_t{indexed.indices[i]}], 3, &image->pixels[4 * i]);
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
    if (extension != ".tga" && extension != ".png" && extension != ".jpg" && extension != ".jpeg") {
        *error = path + ": skins are read from PCX, TGA, PNG or JPEG files";
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
