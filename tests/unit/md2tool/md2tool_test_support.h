// Models for the corvane-md2 tests: small valid meshes whose every vertex is
// used, with numbered frame names and texture coordinates inside the skin.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "md2tool/glcmd_rewrite.h"
#include "support/md2_builder.h"

// `vertexCount` vertices on a circle in the y-z plane, `triangleCount`
// triangles fanned from vertex 0 (cycling when there are more triangles
// than the fan has), one texture coordinate per vertex, `frameCount` frames
// named run1, run2, ...
inline Md2BuilderModel MakeToolModel(int vertexCount = 6, int triangleCount = 4, int frameCount = 2) {
    Md2BuilderModel model;
    model.skinWidth = 64;
    model.skinHeight = 64;
    model.vertexCount = vertexCount;
    model.skins.push_back("models/test/skin.pcx");
    for (int v = 0; v < vertexCount; ++v) {
        model.texCoords.push_back({static_cast<std::int16_t>(v % 64), static_cast<std::int16_t>(v / 64 % 64)});
    }
    const int ring = vertexCount - 2;
    for (int i = 0; i < triangleCount; ++i) {
        const auto a = static_cast<std::int16_t>(1 + i % ring);
        const auto b = static_cast<std::int16_t>(2 + i % ring);
        model.triangles.push_back({0, a, b, 0, a, b});
    }
    for (int f = 0; f < frameCount; ++f) {
        Md2BuilderFrame frame;
        frame.name = "run" + std::to_string(f + 1);
        for (int v = 0; v < vertexCount; ++v) {
            frame.vertices.push_back({static_cast<std::uint8_t>(f), static_cast<std::uint8_t>(v * 37 % 256),
                                      static_cast<std::uint8_t>(v * 91 % 256), static_cast<std::uint8_t>(v % 162)});
        }
        model.frames.push_back(frame);
    }
    return model;
}

// The file's bytes with our GL command list added.
inline std::vector<std::uint8_t> WithGlCommands(const std::vector<std::uint8_t>& file) {
    std::vector<std::uint8_t> out;
    GlRewriteStats stats{};
    std::string error;
    return AddGlCommands(file, &out, &stats, &error) ? out : std::vector<std::uint8_t>{};
}
