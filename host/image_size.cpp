#include "host/image_size.h"

#include <cstdint>
#include <cstring>

#include "host/harness_coverage.h"

CORVANE_HARNESS_BEGIN

namespace {

std::uint32_t Le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
std::uint32_t Le32(const unsigned char* p) { return Le16(p) | (Le16(p + 2) << 16); }
std::uint32_t Be32(const unsigned char* p) {
    return (std::uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

bool Png(const unsigned char* h, std::size_t n, int* w, int* ht) {
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (n < 24 || std::memcmp(h, kSignature, 8) != 0 || std::memcmp(h + 12, "IHDR", 4) != 0) {
        return false;
    }
    *w = static_cast<int>(Be32(h + 16));
    *ht = static_cast<int>(Be32(h + 20));
    return true;
}

bool Bmp(const unsigned char* h, std::size_t n, int* w, int* ht) {
    if (n < 26 || h[0] != 'B' || h[1] != 'M') {
        return false;
    }
    auto height = static_cast<std::int32_t>(Le32(h + 22));
    *w = static_cast<int>(static_cast<std::int32_t>(Le32(h + 18)));
    *ht = height < 0 ? -height : height;
    return true;
}

bool Pcx(const unsigned char* h, std::size_t n, int* w, int* ht) {
    if (n < 128 || h[0] != 0x0A || h[2] > 1) {
        return false;
    }
    *w = static_cast<int>(Le16(h + 8)) - static_cast<int>(Le16(h + 4)) + 1;
    *ht = static_cast<int>(Le16(h + 10)) - static_cast<int>(Le16(h + 6)) + 1;
    return true;
}

bool Tga(const unsigned char* h, std::size_t n, int* w, int* ht) {
    // No magic: accept only plausible colour-map and image types.
    bool typeKnown = h[2] == 1 || h[2] == 2 || h[2] == 3 || h[2] == 9 || h[2] == 10 || h[2] == 11;
    if (n < 18 || h[1] > 1 || !typeKnown) {
        return false;
    }
    *w = static_cast<int>(Le16(h + 12));
    *ht = static_cast<int>(Le16(h + 14));
    return true;
}

}  // namespace

bool ReadImageSize(std::FILE* file, int* width, int* height) {
    unsigned char header[128] = {};
    if (file == nullptr) {
        return false;
    }
    std::size_t n = std::fread(header, 1, sizeof(header), file);
    return Png(header, n, width, height) || Bmp(header, n, width, height) || Pcx(header, n, width, height) ||
           Tga(header, n, width, height);
}

CORVANE_HARNESS_END
