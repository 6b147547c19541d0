#include "support/skin_files.h"

#include <stb_image_write.h>

#include "support/md2_builder.h"

namespace {

int IndexAt(int x, int y, int seed) { return (x * 7 + y * 13 + seed) & 0xFF; }

void PutColour(std::vector<std::uint8_t>& out, int index) {
    out.push_back(static_cast<std::uint8_t>(index));
    out.push_back(static_cast<std::uint8_t>(255 - index));
    out.push_back(static_cast<std::uint8_t>(index * 37 & 0xFF));
}

std::vector<std::uint8_t> Pcx(int width, int height, int seed) {
    std::vector<std::uint8_t> out(128, 0);
    out[0] = 0x0A;
    out[1] = 5;
    out[2] = 1;
    out[3] = 8;
    PutI16(out, 8, static_cast<std::int16_t>(width - 1));
    PutI16(out, 10, static_cast<std::int16_t>(height - 1));
    out[65] = 1;
    PutI16(out, 66, static_cast<std::int16_t>(width));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int index = IndexAt(x, y, seed);
            if ((index & 0xC0) == 0xC0) {
                out.push_back(0xC1);  // a run of one: the value alone would read as a run
            }
            out.push_back(static_cast<std::uint8_t>(index));
        }
    }
    out.push_back(12);
    for (int i = 0; i < 256; ++i) {
        PutColour(out, i);
    }
    return out;
}

std::vector<std::uint8_t> Tga(int width, int height, int seed) {
    std::vector<std::uint8_t> out(18, 0);
    out[2] = 2;  // uncompressed true colour
    PutI16(out, 12, static_cast<std::int16_t>(width));
    PutI16(out, 14, static_cast<std::int16_t>(height));
    out[16] = 32;
    out[17] = 0x28;  // 8 alpha bits, rows from the top
    const std::vector<std::uint8_t> rgba = SkinPattern(width, height, seed);
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        out.insert(out.end(), {rgba[i + 2], rgba[i + 1], rgba[i], rgba[i + 3]});
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> SkinPattern(int width, int height, int seed) {
    std::vector<std::uint8_t> out;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            PutColour(out, IndexAt(x, y, seed));
            out.push_back(255);
        }
    }
    return out;
}

bool WriteSkinFile(const std::string& path, int width, int height, int seed) {
    const std::string extension = path.substr(path.size() - 4);
    if (extension == ".png") {
        const std::vector<std::uint8_t> rgba = SkinPattern(width, height, seed);
        return stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4) != 0;
    }
    return WriteBinaryFile(path, extension == ".pcx" ? Pcx(width, height, seed) : Tga(width, height, seed));
}
