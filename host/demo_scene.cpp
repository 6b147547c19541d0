#include "host/demo_scene.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "host/host_platform.h"

namespace {

constexpr int kSkinWidth = 128;
constexpr int kSkinHeight = 64;
constexpr int kRings = 5;
constexpr int kSides = 4;

// An uncompressed 24-bit TGA, rows from the top: bands of colour, one per
// segment, with a darker stripe on every side.
bool WriteSkin(const std::string& path) {
    std::vector<std::uint8_t> bytes(18, 0);
    bytes[2] = 2;  // true colour
    bytes[12] = kSkinWidth & 0xFF;
    bytes[13] = kSkinWidth >> 8;
    bytes[14] = kSkinHeight & 0xFF;
    bytes[15] = kSkinHeight >> 8;
    bytes[16] = 24;
    bytes[17] = 0x20;  // top-left origin
    for (int y = 0; y < kSkinHeight; ++y) {
        for (int x = 0; x < kSkinWidth; ++x) {
            const int band = y * (kRings - 1) / kSkinHeight;
            const bool stripe = (x % (kSkinWidth / kSides)) < 4;
            const std::uint8_t shade = stripe ? 0x40 : 0xC0;
            bytes.push_back(static_cast<std::uint8_t>(band % 2 ? shade : shade / 2));  // blue
            bytes.push_back(static_cast<std::uint8_t>(shade));                        // green
            bytes.push_back(static_cast<std::uint8_t>(band < 2 ? shade : shade / 3));  // red
        }
    }
    std::FILE* file = HostOpenPath(path, "wb");
    if (file == nullptr) {
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

// A rotation of `angle` radians about the unit axis (x, y, z), as a key.
HostRotationKey Turn(float time, float x, float y, float z, float angle) {
    const float s = std::sin(angle / 2);
    return {time, x * s, y * s, z * s, std::cos(angle / 2)};
}

}  // namespace

std::string DemoSkinPath(const std::string& directory) {
    std::string path = directory;
    if (!path.empty() && path.back() != '/' && path.back() != '\\') {
        path += '/';
    }
    return path + "demo_skin.tga";
}

RefScene* BuildDemoScene(const std::string& directory) {
    const std::string skin = DemoSkinPath(directory);
    if (!WriteSkin(skin)) {
        return nullptr;
    }
    RefScene* scene = RefSceneCreate();
    const int root = RefAddBone(scene, RefBoneAlongY(-1, 0, 0));
    const int middle = RefAddBone(scene, RefBoneAlongY(root, 1.5f, 1.5f));
    const int top = RefAddBone(scene, RefBoneAlongY(middle, 1.5f, 3));

    // Ring r at height r; corners counter-clockwise seen from above.
    const float corners[kSides][2] = {{-0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, -0.5f}, {-0.5f, -0.5f}};
    const int ringBone[kRings] = {root, root, -1, middle, top};
    for (int r = 0; r < kRings; ++r) {
        for (int c = 0; c < kSides; ++c) {
            const int v = RefAddVertex(scene, corners[c][0], static_cast<float>(r), corners[c][1]);
            RefSetVertexNormal(scene, v, corners[c][0] * 1.41421356f, 0, corners[c][1] * 1.41421356f);
            if (ringBone[r] >= 0) {
                RefSetVertexWeights(scene, v, {{ringBone[r], 1.0f}});
            } else {
                RefSetVertexWeights(scene, v, {{root, 0.5f}, {middle, 0.5f}});
            }
        }
    }

    const int material = RefAddMaterial(scene, "skin", skin);
    const int group = RefAddGroup(scene, "body");
    // Texture coordinates: a grid of (kSides + 1) x kRings points wrapped
    // around the sides, then the four corners of the skin for the caps.
    for (int r = 0; r < kRings; ++r) {
        for (int c = 0; c <= kSides; ++c) {
            RefAddTexCoord(scene, static_cast<float>(c) / kSides,
                           1.0f - static_cast<float>(r) / (kRings - 1));
        }
    }
    const int capCoords = RefAddTexCoord(scene, 0, 0);
    RefAddTexCoord(scene, 1, 0);
    RefAddTexCoord(scene, 1, 1);
    RefAddTexCoord(scene, 0, 1);
    auto vertex = [](int ring, int side) { return ring * kSides + side % kSides; };
    auto coord = [](int ring, int column) { return ring * (kSides + 1) + column; };
    for (int r = 0; r + 1 < kRings; ++r) {
        for (int c = 0; c < kSides; ++c) {
            // Outward faces, counter-clockwise seen from outside.
            RefAddFace(scene, group, {vertex(r, c), vertex(r, c + 1), vertex(r + 1, c + 1), vertex(r + 1, c)},
                       {coord(r, c), coord(r, c + 1), coord(r + 1, c + 1), coord(r + 1, c)}, material);
        }
    }
    const int last = kRings - 1;
    RefAddFace(scene, group, {vertex(0, 3), vertex(0, 2), vertex(0, 1), vertex(0, 0)},
               {capCoords, capCoords + 1, capCoords + 2, capCoords + 3}, material);
    RefAddFace(scene, group, {vertex(last, 0), vertex(last, 1), vertex(last, 2), vertex(last, 3)},
               {capCoords, capCoords + 1, capCoords + 2, capCoords + 3}, material);

    const int sway = RefAddAnimation(scene, "sway", 10, 0, 1.2f);
    RefSetTrack(scene, sway, middle, {},
                {Turn(0, 0, 0, 1, 0), Turn(0.6f, 0, 0, 1, 0.6f), Turn(1.2f, 0, 0, 1, 0)}, {});
    const int twist = RefAddAnimation(scene, "twisting_around", 0, 0, 0.5f);
    RefSetTrack(scene, twist, root, {{0, 0, 0, 0}, {0.5f, 0, 0.75f, 0}}, {}, {});
    RefSetTrack(scene, twist, top, {}, {Turn(0, 0, 1, 0, 0), Turn(0.5f, 0, 1, 0, 1.5f)},
                {{0, 1, 1, 1}, {0.5f, 1.5f, 1, 1.5f}});
    return scene;
}
