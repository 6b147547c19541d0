#include "host/sample_model.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "host/host_platform.h"

namespace {

struct Bytes {
    std::vector<std::uint8_t> data;
    void I32(std::int32_t v) {
        for (int i = 0; i < 4; ++i) {
            data.push_back(static_cast<std::uint8_t>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF));
        }
    }
    void I16(std::int16_t v) {
        data.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) & 0xFF));
        data.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8));
    }
    void F32(float f) {
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        I32(static_cast<std::int32_t>(bits));
    }
    void Text(const char* text, std::size_t size) {
        std::size_t n = std::strlen(text);
        for (std::size_t i = 0; i < size; ++i) {
            data.push_back(i < n ? static_cast<std::uint8_t>(text[i]) : 0);
        }
    }
    void SetI32(std::size_t at, std::int32_t v) {
        for (int i = 0; i < 4; ++i) {
            data[at + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
        }
    }
};

bool Save(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = HostOpenPath(path, "wb");
    if (file == nullptr) {
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

// A 64 x 64 8-bit PCX: a checker of two greys with a palette.
std::vector<std::uint8_t> SkinImage() {
    Bytes b;
    b.data = {0x0A, 5, 1, 8};
    b.I16(0);
    b.I16(0);
    b.I16(63);
    b.I16(63);
    b.I16(72);
    b.I16(72);
    b.data.resize(b.data.size() + 48, 0);
    b.data.push_back(0);
    b.data.push_back(1);
    b.I16(64);
    b.I16(1);
    b.data.resize(128, 0);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            std::uint8_t index = ((x / 8 + y / 8) % 2) ? 1 : 2;
            b.data.push_back(index);  // below 0xC0: a literal byte
        }
    }
    b.data.push_back(0x0C);
    for (int i = 0; i < 256; ++i) {
        std::uint8_t grey = i == 1 ? 0x60 : i == 2 ? 0xC0 : 0;
        b.data.insert(b.data.end(), {grey, grey, static_cast<std::uint8_t>(grey / 2)});
    }
    return b.data;
}

}  // namespace

std::string WriteSampleModel(const std::string& directory) {
    // Corners 0-3 the bottom, 4-7 the lid; the lid swings open about the
    // edge through corners 4 and 5 over the frames.
    const float bottom[4][3] = {{-16, -16, 0}, {16, -16, 0}, {16, 16, 0}, {-16, 16, 0}};
    const int frameCount = 4;
    const int vertexCount = 8;
    const std::int16_t triangles[12][3] = {{0, 2, 1}, {0, 3, 2}, {4, 5, 6}, {4, 6, 7}, {0, 1, 5}, {0, 5, 4},
                                           {1, 2, 6}, {1, 6, 5}, {2, 3, 7}, {2, 7, 6}, {3, 0, 4}, {3, 4, 7}};
    Bytes b;
    b.data.resize(68, 0);
    std::size_t ofsSkins = b.data.size();
    b.Text("models/crate/crate.pcx", 64);
    std::size_t ofsSt = b.data.size();
    for (int t = 0; t < 12; ++t) {
        for (int c = 2; c >= 0; --c) {
            b.I16(static_cast<std::int16_t>(triangles[t][c] % 4 * 21));
            b.I16(static_cast<std::int16_t>(triangles[t][c] / 4 * 63));
        }
    }
    std::size_t ofsTris = b.data.size();
    for (int t = 0; t < 12; ++t) {
        b.I16(triangles[t][0]);
        b.I16(triangles[t][1]);
        b.I16(triangles[t][2]);
        b.I16(static_cast<std::int16_t>(3 * t + 2));
        b.I16(static_cast<std::int16_t>(3 * t + 1));
        b.I16(static_cast<std::int16_t>(3 * t));
    }
    std::size_t ofsFrames = b.data.size();
    for (int f = 0; f < frameCount; ++f) {
        float angle = static_cast<float>(f) * 0.4f;
        float positions[8][3];
        for (int i = 0; i < 4; ++i) {
            std::memcpy(positions[i], bottom[i], sizeof(positions[i]));
            // The lid: hinge along y = -16 at height 32.
            float along = bottom[i][1] + 16;
            positions[i + 4][0] = bottom[i][0];
            positions[i + 4][1] = -16 + along * std::cos(angle);
            positions[i + 4][2] = 32 + along * std::sin(angle);
        }
        float min[3] = {1e9f, 1e9f, 1e9f};
        float max[3] = {-1e9f, -1e9f, -1e9f};
        for (const auto& p : positions) {
            for (int a = 0; a < 3; ++a) {
                min[a] = p[a] < min[a] ? p[a] : min[a];
                max[a] = p[a] > max[a] ? p[a] : max[a];
            }
        }
        float scale[3];
        for (int a = 0; a < 3; ++a) {
            scale[a] = max[a] > min[a] ? (max[a] - min[a]) / 255.0f : 1.0f;
            b.F32(scale[a]);
        }
        for (int a = 0; a < 3; ++a) {
            b.F32(min[a]);
        }
        char name[16];
        std::snprintf(name, sizeof(name), "open%d", f);
        b.Text(name, 16);
        for (const auto& p : positions) {
            for (int a = 0; a < 3; ++a) {
                b.data.push_back(static_cast<std::uint8_t>(std::lround((p[a] - min[a]) / scale[a])));
            }
            b.data.push_back(0);
        }
    }
    std::size_t ofsGl = b.data.size();
    b.I32(0);
    std::size_t ofsEnd = b.data.size();
    const std::int32_t header[17] = {0x32504449,
                                     8,
                                     64,
                                     64,
                                     40 + 4 * vertexCount,
                                     1,
                                     vertexCount,
                                     36,
                                     12,
                                     1,
                                     frameCount,
                                     static_cast<std::int32_t>(ofsSkins),
                                     static_cast<std::int32_t>(ofsSt),
                                     static_cast<std::int32_t>(ofsTris),
                                     static_cast<std::int32_t>(ofsFrames),
                                     static_cast<std::int32_t>(ofsGl),
                                     static_cast<std::int32_t>(ofsEnd)};
    for (int i = 0; i < 17; ++i) {
        b.SetI32(static_cast<std::size_t>(4 * i), header[i]);
    }
    std::string separator = directory.empty() || directory.back() == '/' || directory.back() == '\\' ? "" : "/";
    std::string model = directory + separator + "crate.md2";
    if (!Save(model, b.data) || !Save(directory + separator + "crate.pcx", SkinImage())) {
        return {};
    }
    return model;
}
