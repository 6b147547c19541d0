#include "md2tool/pcx_file.h"

#include <algorithm>

namespace {

constexpr std::size_t kHeaderBytes = 128;
constexpr std::size_t kPaletteBytes = 769;
constexpr int kLongestRun = 63;

void PutWord(std::vector<std::uint8_t>* bytes, std::size_t at, int value) {
    (*bytes)[at] = static_cast<std::uint8_t>(value & 0xFF);
    (*bytes)[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

std::vector<std::uint8_t> EncodePcx(const IndexedImage& image) {
    std::vector<std::uint8_t> bytes(kHeaderBytes, 0);
    bytes[0] = 0x0A;  // maker
    bytes[1] = 5;     // version: 256-colour palette
    bytes[2] = 1;     // run-length encoding
    bytes[3] = 8;     // bits per pixel
    PutWord(&bytes, 8, image.width - 1);
    PutWord(&bytes, 10, image.height - 1);
    PutWord(&bytes, 12, 72);
    PutWord(&bytes, 14, 72);
    bytes[65] = 1;  // planes
    PutWord(&bytes, 66, image.width);
    PutWord(&bytes, 68, 1);  // colour palette
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* line = image.indices.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width);
        for (int x = 0; x < image.width;) {
            const std::uint8_t value = line[x];
            int run = 1;
            while (x + run < image.width && run < kLongestRun && line[x + run] == value) {
                ++run;
            }
            if (run > 1 || (value & 0xC0) == 0xC0) {
                bytes.push_back(static_cast<std::uint8_t>(0xC0 | run));
            }
            bytes.push_back(value);
            x += run;
        }
    }
    bytes.push_back(12);
    bytes.insert(bytes.end(), Quake2Palette(), Quake2Palette() + 3 * kPaletteColours);
    return bytes;
}

bool DecodePcxIndexed(const std::vector<std::uint8_t>& bytes, IndexedImage* image, std::vector<std::uint8_t>* palette,
                      std::string* error) {
    if (bytes.size() < kHeaderBytes + kPaletteBytes || bytes[0] != 0x0A || bytes[2] != 1 || bytes[3] != 8 ||
        bytes[65] != 1) {
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
    const std::uint8_t* colours = bytes.data() + bytes.size() - kPaletteBytes;
    if (colours[0] != 12) {
        *error = "PCX image without a 256-colour palette";
        return false;
    }
    palette->assign(colours + 1, colours + kPaletteBytes);
    image->width = width;
    image->height = height;
    image->indices.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    std::size_t at = kHeaderBytes;
    const std::size_t end = bytes.size() - kPaletteBytes;
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
                    image->indices[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                   static_cast<std::size_t>(x)] = value;
                }
            }
        }
    }
    return true;
}
