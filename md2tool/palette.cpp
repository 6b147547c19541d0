#include "md2tool/palette.h"

#include <algorithm>

namespace {

constexpr std::uint8_t kPalette[kPaletteColours * 3] = {
#include "md2tool/quake2_palette.inc"
};

}  // namespace

const std::uint8_t* Quake2Palette() { return kPalette; }

std::uint8_t NearestPaletteIndex(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < kTransparentIndex; ++i) {
        const int dr = r - kPalette[3 * i];
        const int dg = g - kPalette[3 * i + 1];
        const int db = b - kPalette[3 * i + 2];
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return static_cast<std::uint8_t>(best);
}

IndexedImage ToPaletteImage(const RgbaImage& image) {
    IndexedImage out;
    out.width = image.width;
    out.height = image.height;
    const std::size_t count = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    out.indices.resize(count);
    // Neighbouring pixels mostly share a colour: the last one is remembered.
    std::uint32_t lastColour = 0xFFFFFFFFu;
    std::uint8_t lastIndex = 0;
    for (std::size_t i = 0; i < count && 4 * i + 3 < image.pixels.size(); ++i) {
        const std::uint8_t* p = &image.pixels[4 * i];
        if (p[3] < 128) {
            out.indices[i] = kTransparentIndex;
            continue;
        }
        const std::uint32_t colour = static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
        if (colour != lastColour) {
            lastColour = colour;
            lastIndex = NearestPaletteIndex(p[0], p[1], p[2]);
        }
        out.indices[i] = lastIndex;
    }
    return out;
}

void FittedSize(int width, int height, int maxWidth, int maxHeight, int* fittedWidth, int* fittedHeight) {
    *fittedWidth = width;
    *fittedHeight = height;
    if (width <= maxWidth && height <= maxHeight) {
        return;
    }
    // Compared as w x maxHeight against h x maxWidth in 64 bits: the tighter
    // side takes its limit, the other follows the aspect.
    const std::int64_t w = width;
    const std::int64_t h = height;
    if (w * maxHeight >= h * maxWidth) {
        *fittedWidth = maxWidth;
        *fittedHeight = static_cast<int>(std::max<std::int64_t>(1, h * maxWidth / w));
    } else {
        *fittedHeight = maxHeight;
        *fittedWidth = static_cast<int>(std::max<std::int64_t>(1, w * maxHeight / h));
    }
}

RgbaImage ScaledDown(const RgbaImage& image, int width, int height) {
    RgbaImage out;
    out.width = width;
    out.height = height;
    out.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
    for (int y = 0; y < height; ++y) {
        const int y0 = static_cast<int>(static_cast<std::int64_t>(y) * image.height / height);
        const int y1 = std::max(y0 + 1, static_cast<int>(static_cast<std::int64_t>(y + 1) * image.height / height));
        for (int x = 0; x < width; ++x) {
            const int x0 = static_cast<int>(static_cast<std::int64_t>(x) * image.width / width);
            const int x1 = std::max(x0 + 1, static_cast<int>(static_cast<std::int64_t>(x + 1) * image.width / width));
            std::uint64_t sum[4] = {0, 0, 0, 0};
            for (int sy = y0; sy < y1; ++sy) {
                for (int sx = x0; sx < x1; ++sx) {
                    const std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(sy) * static_cast<std::size_t>(image.width) +
                                                           static_cast<std::size_t>(sx)) * 4];
                    for (int c = 0; c < 4; ++c) {
                        sum[c] += p[c];
                    }
                }
            }
            const std::uint64_t n = static_cast<std::uint64_t>(y1 - y0) * static_cast<std::uint64_t>(x1 - x0);
            std::uint8_t* q = &out.pixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                           static_cast<std::size_t>(x)) * 4];
            for (int c = 0; c < 4; ++c) {
                q[c] = static_cast<std::uint8_t>((sum[c] + n / 2) / n);
            }
        }
    }
    return out;
}
