// corvane-md2 gltf over one table of files, read back by a reader of the
// test's own: every frame of every animation, morphed by its key's weights,
// lands on the file's decoded frame turned into glTF's axes; texture
// coordinates and winding follow the triangles; skins come back as PNG
// variants with their pixels.
#include <gtest/gtest.h>

#include <stb_image.h>

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <filesystem>

#include "md2tool/md2_tool_cli.h"
#include "md2tool/tool_files.h"
#include "support/gltf_read.h"
#include "support/md2_full_decode.h"
#include "support/skin_files.h"
#include "support/test_env.h"
#include "unit/md2tool/md2tool_test_support.h"

namespace {

struct GltfCase {
    const char* name;
    const char* published;                 // a model of assimp-testmodels, else a generated one
    std::vector<std::string> frameNames;   // the generated model's
    const char* extension;
    std::vector<std::pair<std::string, int>> animations;  // names and key counts (published: the first ones)
    int skins;                             // skins named: > 0 with their images beside, < 0 without
    std::vector<std::string> targetNames = {};  // in UTF-8, where the frame names are not
};

std::vector<std::string> Numbered(const std::string& stem, int count) {
    std::vector<std::string> names;
    for (int i = 1; i <= count; ++i) {
        names.push_back(stem + (i < 10 ? "00" : i < 100 ? "0" : "") + std::to_string(i));
    }
    return names;
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Skin s of a case: PCX, TGA, then PNG.
std::string SkinFileName(const std::string& name, int s) {
    return name + "-skin" + std::to_string(s) + (s == 0 ? ".pcx" : s == 1 ? ".tga" : ".png");
}

struct TriangleCorner {
    int vertex;
    int s;
    int t;
};

// Triangle corners straight from the file's bytes.
std::vector<std::array<TriangleCorner, 3>> FileTriangles(const std::vector<std::uint8_t>& file) {
    const auto i16 = [&file](std::size_t at) { return static_cast<std::int16_t>(file[at] | file[at + 1] << 8); };
    std::vector<std::array<TriangleCorner, 3>> triangles(static_cast<std::size_t>(GetI32(file, kFieldNumTris)));
    const std::size_t tris = static_cast<std::size_t>(GetI32(file, kFieldOfsTris));
    const std::size_t st = static_cast<std::size_t>(GetI32(file, kFieldOfsSt));
    for (std::size_t t = 0; t < triangles.size(); ++t) {
        for (std::size_t k = 0; k < 3; ++k) {
            const std::size_t texCoord = static_cast<std::size_t>(i16(tris + 12 * t + 6 + 2 * k));
            triangles[t][k] = {i16(tris + 12 * t + 2 * k), i16(st + 4 * texCoord), i16(st + 4 * texCoord + 2)};
        }
    }
    return triangles;
}

// The Khronos glTF Validator's verdict (Linux: it runs on Node.js); empty
// when the file has no error.
std::string ValidatorErrors(const std::string& path) {
#ifdef _WIN32
    (void)path;
    return {};
#else
    const std::string command =
        std::string("node ") + CORVANE_SOURCE_DIR + "/tests/gltf/validate.mjs '" + path + "' 2>&1";
    std::string printed;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return "the validator could not be started";
    }
    char chunk[512];
    while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) {
        printed += chunk;
    }
    return pclose(pipe) == 0 ? std::string() : printed;
#endif
}

}  // namespace

TEST(GltfCommand, EveryFrameComesBackFromTheWrittenFile) {
    const std::string dir = TestTempDir("gltf");
    const GltfCase cases[] = {
        {"names-grouped", nullptr, {"run1", "run2", "stand1", "run3"}, ".glb", {{"run", 2}, {"stand", 1}, {"run_2", 1}}, 0},
        {"one-frame", nullptr, {"pose1"}, ".gltf", {}, 0},
        // Names in the game's 8-bit code page become UTF-8; UTF-8 stays as it is.
        {"latin-1-names", nullptr, {"\xe9t\xe9" "1", "\xe9t\xe9" "2", "caf\xc3\xa9" "1"}, ".glb",
         {{"\xc3\xa9t\xc3\xa9", 2}, {"caf\xc3\xa9", 1}}, 0,
         {"\xc3\xa9t\xc3\xa9" "1", "\xc3\xa9t\xc3\xa9" "2", "caf\xc3\xa9" "1"}},
        {"three-skins", nullptr, Numbered("wave", 3), ".glb", {{"wave", 3}}, 3},
        {"three-skins-beside", nullptr, Numbered("wave", 2), ".gltf", {{"wave", 2}}, 3},
        {"skins-missing", nullptr, Numbered("jump", 2), ".glb", {{"jump", 2}}, -2},
        {"thousand-frames", nullptr, Concat(Numbered("walk", 500), Numbered("swim", 500)), ".glb",
         {{"walk", 500}, {"swim", 500}}, 0},
        {"faerie", "faerie.md2", {}, ".glb", {{"stand", 40}, {"run", 6}, {"attack", 8}}, 0},
        {"sydney", "sydney.md2", {}, ".gltf", {{"stand", 40}, {"run", 6}, {"attack", 8}}, 0},
    };
    for (const GltfCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string input = dir + c.name + ".md2";
        std::vector<std::uint8_t> file;
        if (c.published != nullptr) {
            if (TestOnWindows()) {
                continue;  // the published models are a Linux package
            }
            input = std::string("/usr/share/assimp/models/MD2/") + c.published;
            std::string error;
            ASSERT_TRUE(ReadFileBytes(input, &file, &error)) << error << ": install assimp-testmodels";
        } else {
            Md2BuilderModel model = MakeToolModel(9, 7, static_cast<int>(c.frameNames.size()));
            model.skins.clear();
            for (int s = 0; s < std::abs(c.skins); ++s) {
                const std::string skin = SkinFileName(c.name, s);
                model.skins.push_back("models/test/" + skin);
                if (c.skins > 0) {
                    ASSERT_TRUE(WriteSkinFile(dir + skin, model.skinWidth, model.skinHeight, s + 1));
                }
            }
            for (std::size_t f = 0; f < c.frameNames.size(); ++f) {
                model.frames[f].name = c.frameNames[f];
                model.frames[f].scale[2] = 0.5f + 0.01f * static_cast<float>(f % 7);
                model.frames[f].translate[0] = -3.25f * static_cast<float>(f % 5);
            }
            file = BuildMd2File(model);
            ASSERT_TRUE(WriteBinaryFile(input, file));
        }
        const std::string output = dir + c.name + c.extension;
        ToolOutput out;
        ASSERT_EQ(RunMd2Tool({"gltf", input, "-o", output}, &out), kToolOk) << out.err;
        EXPECT_EQ(out.err.find("is not beside the model") != std::string::npos, c.skins < 0) << out.err;
        EXPECT_EQ(ValidatorErrors(output), "");
        GltfReadModel gltf;
        std::string error;
        ASSERT_TRUE(ReadGltfFile(output, &gltf, &error)) << error;

        // Frames: names, then every key of every animation against the decoded frame.
        const std::vector<Md2ReferenceFrame> frames = DecodeEveryMd2Frame(file);
        ASSERT_EQ(gltf.targetNames.size(), frames.size());
        float size = 0;
        for (const Md2ReferenceFrame& frame : frames) {
            for (const auto& p : frame.positions) {
                size = std::max({size, std::abs(p[0]), std::abs(p[1]), std::abs(p[2])});
            }
        }
        const auto triangles = FileTriangles(file);
        ASSERT_EQ(gltf.indices.size(), 3 * triangles.size());
        const auto expectFrame = [&](const std::vector<std::array<float, 3>>& positions, std::size_t f) {
            for (std::size_t t = 0; t < triangles.size(); ++t) {
                for (std::size_t k = 0; k < 3; ++k) {
                    const TriangleCorner& corner = triangles[t][2 - k];
                    const auto& p = frames[f].positions.at(static_cast<std::size_t>(corner.vertex));
                    const auto& q = positions.at(gltf.indices[3 * t + k]);
                    ASSERT_TRUE(std::abs(q[0] - p[0]) <= 1e-5f * size && std::abs(q[1] - p[2]) <= 1e-5f * size &&
                                std::abs(q[2] + p[1]) <= 1e-5f * size)
                        << "frame " << f << " triangle " << t << " corner " << k;
                }
            }
        };
        expectFrame(gltf.positions, 0);
        std::size_t frame = 0;
        for (std::size_t a = 0; a < gltf.animations.size(); ++a) {
            const GltfReadAnimation& animation = gltf.animations[a];
            if (a < c.animations.size()) {
                EXPECT_EQ(animation.name, c.animations[a].first);
                EXPECT_EQ(animation.times.size(), static_cast<std::size_t>(c.animations[a].second));
            }
            ASSERT_EQ(animation.weights.size(), animation.times.size());
            for (std::size_t k = 0; k < animation.times.size(); ++k, ++frame) {
                EXPECT_FLOAT_EQ(animation.times[k], static_cast<float>(k) / 10.0f);
                EXPECT_EQ(gltf.targetNames.at(frame),
                          c.targetNames.empty() ? frames.at(frame).name : c.targetNames.at(frame));
                expectFrame(MorphedPositions(gltf, animation.weights[k]), frame);
            }
        }
        EXPECT_EQ(frame, frames.size() > 1 ? frames.size() : 0u);
        if (c.published == nullptr) {
            EXPECT_EQ(gltf.animations.size(), c.animations.size());
        }

        // Texture coordinates: texel centres over the skin size, v down as in the skin.
        const float width = static_cast<float>(GetI32(file, kFieldSkinWidth));
        const float height = static_cast<float>(GetI32(file, kFieldSkinHeight));
        for (std::size_t t = 0; t < triangles.size(); ++t) {
            for (std::size_t k = 0; k < 3; ++k) {
                const auto& uv = gltf.texCoords.at(gltf.indices[3 * t + k]);
                EXPECT_EQ(uv[0], (static_cast<float>(triangles[t][2 - k].s) + 0.5f) / width);
                EXPECT_EQ(uv[1], (static_cast<float>(triangles[t][2 - k].t) + 0.5f) / height);
            }
        }

        // Skins: one PNG each, the pixels of the image beside the model, variants after its files.
        ASSERT_EQ(gltf.images.size(), static_cast<std::size_t>(std::max(c.skins, 0)));
        EXPECT_EQ(gltf.variants.size(), c.skins > 1 ? gltf.images.size() : 0u);
        for (std::size_t s = 0; s < gltf.images.size(); ++s) {
            EXPECT_EQ(gltf.magFilter, "nearest");
            int w = 0;
            int h = 0;
            int channels = 0;
            stbi_uc* pixels = stbi_load_from_memory(gltf.images[s].data(), static_cast<int>(gltf.images[s].size()), &w,
                                                    &h, &channels, 4);
            ASSERT_NE(pixels, nullptr);
            ASSERT_EQ(w * h, 64 * 64);
            EXPECT_TRUE(std::equal(pixels, pixels + 64 * 64 * 4, SkinPattern(64, 64, static_cast<int>(s) + 1).begin()));
            stbi_image_free(pixels);
            EXPECT_EQ(gltf.variants.at(s), SkinFileName(c.name, static_cast<int>(s)));
        }
    }
}
