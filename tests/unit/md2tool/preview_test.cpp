// The preview drawn by OSMesa (Linux only): strips and fans give the same
// pixels as the triangle list, one triangle fills its pixels, and every
// frame's cell carries its label.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <stb_image.h>

#include "md2tool/md2_file_view.h"
#include "md2tool/md2_tool_cli.h"
#include "md2tool/preview_render.h"
#include "md2tool/tool_files.h"
#include "support/test_env.h"
#include "unit/md2tool/md2tool_test_support.h"

namespace {

RgbaImage ReadPng(const std::string& path) {
    RgbaImage image;
    int channels = 0;
    stbi_uc* pixels = stbi_load(path.c_str(), &image.width, &image.height, &channels, 4);
    if (pixels != nullptr) {
        image.pixels.assign(pixels, pixels + static_cast<std::size_t>(image.width) * image.height * 4);
        stbi_image_free(pixels);
    }
    return image;
}

bool IsBackground(const RgbaImage& image, int x, int y) {
    const std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
    return p[0] == kPreviewBackground[0] && p[1] == kPreviewBackground[1] && p[2] == kPreviewBackground[2];
}

std::string Preview(const std::string& md2, const std::vector<std::string>& extra) {
    const std::string png = md2 + (extra.empty() ? "" : extra.back()) + ".png";
    std::vector<std::string> args = {"preview", md2, "-o", png};
    args.insert(args.end(), extra.begin(), extra.end());
    ToolOutput output;
    EXPECT_EQ(RunMd2Tool(args, &output), 0) << output.err;
    return png;
}

// The published faerie with our list, drawn through it and through its
// triangles; the cull of back faces makes a wrong winding show.
TEST(Md2Preview, GlCommandsAndTrianglesGiveIdenticalPixels) {
    const std::string dir = TestTempDir("md2preview-strips");
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(ReadFileBytes("/usr/share/assimp/models/MD2/faerie.md2", &bytes, &error)) << error;
    const std::string file = dir + "faerie.md2";
    ASSERT_TRUE(WriteBinaryFile(file, WithGlCommands(bytes)));
    const RgbaImage strips = ReadPng(Preview(file, {"--frames", "0-3", "--size", "160x200"}));
    const RgbaImage triangles = ReadPng(Preview(file, {"--frames", "0-3", "--size", "160x200", "--triangles"}));
    ASSERT_EQ(strips.width, 320);
    ASSERT_EQ(strips.height, 400);
    EXPECT_TRUE(strips.pixels == triangles.pixels);
    std::size_t drawn = 0;
    for (int y = 0; y < strips.height; ++y) {
        for (int x = 0; x < strips.width; ++x) {
            drawn += IsBackground(strips, x, y) ? 0 : 1;
        }
    }
    EXPECT_GT(drawn, strips.pixels.size() / 4 / 10);  // the model is there, not culled away
}

// One clockwise triangle facing the camera: the pixels inside it are drawn,
// those around it are not, and it covers its area.
TEST(Md2Preview, OneTriangleFillsItsPixels) {
    const std::string dir = TestTempDir("md2preview-one");
    Md2BuilderModel model = MakeToolModel(3, 1, 1);
    model.skins.clear();
    model.frames[0].vertices = {{0, 0, 0, 0}, {0, 0, 200, 0}, {0, 200, 0, 0}};
    const std::string file = dir + "one.md2";
    ASSERT_TRUE(WriteBinaryFile(file, BuildMd2File(model)));
    const RgbaImage image = ReadPng(Preview(file, {"--size", "200x214"}));
    ASSERT_EQ(image.width, 200);

    const Md2Position corners[3] = {{0, 0, 0}, {0, 0, 200}, {0, 200, 0}};
    PreviewGeometry geometry;
    geometry.vertexCount = 3;
    geometry.frames.push_back({"run1", {corners[0], corners[1], corners[2]}, {0, 0, 0}});
    const PreviewLayout layout{200, 214, 0};
    const PreviewCamera camera = FitPreviewCamera(geometry, layout);
    float px[3];
    float py[3];
    for (int k = 0; k < 3; ++k) {
        ProjectToCell(camera, layout, corners[k], &px[k], &py[k]);
    }
    const float cx = (px[0] + px[1] + px[2]) / 3;
    const float cy = (py[0] + py[1] + py[2]) / 3;
    for (int k = 0; k < 3; ++k) {
        for (float scale : {0.8f, 1.2f}) {
            const int x = static_cast<int>(cx + (px[k] - cx) * scale);
            const int y = static_cast<int>(cy + (py[k] - cy) * scale);
            if (x >= 0 && x < image.width && y >= kPreviewLabelHeight && y < image.height) {
                EXPECT_EQ(IsBackground(image, x, y), scale > 1) << "corner " << k << " scaled by " << scale;
            }
        }
    }
    const float area = std::abs((px[1] - px[0]) * (py[2] - py[0]) - (px[2] - px[0]) * (py[1] - py[0])) / 2;
    float covered = 0;
    for (int y = kPreviewLabelHeight; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            covered += IsBackground(image, x, y) ? 0.0f : 1.0f;
        }
    }
    EXPECT_NEAR(covered, area, area * 0.03f);
}

// Each cell's label strip holds text; different names give different
// strips, the same name the same strip.
TEST(Md2Preview, EveryFrameIsLabelled) {
    const std::string dir = TestTempDir("md2preview-labels");
    Md2BuilderModel model = MakeToolModel(6, 4, 3);
    model.frames[0].name = "attack1";
    model.frames[1].name = "pain12";
    model.frames[2].name = "attack1";
    const std::string file = dir + "labels.md2";
    ASSERT_TRUE(WriteBinaryFile(file, BuildMd2File(model)));
    const RgbaImage image = ReadPng(Preview(file, {"--size", "96x96", "--columns", "3"}));
    ASSERT_EQ(image.width, 3 * 96);
    std::vector<std::vector<std::uint8_t>> strips(3);
    for (int cell = 0; cell < 3; ++cell) {
        int text = 0;
        for (int y = 0; y < kPreviewLabelHeight; ++y) {
            for (int x = cell * 96; x < cell * 96 + 96; ++x) {
                const std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
                strips[static_cast<std::size_t>(cell)].insert(strips[static_cast<std::size_t>(cell)].end(), p, p + 3);
                text += p[0] == kPreviewLabelText[0] && p[1] == kPreviewLabelText[1] && p[2] == kPreviewLabelText[2];
            }
        }
        EXPECT_GT(text, 20) << "cell " << cell;
    }
    EXPECT_NE(strips[0], strips[1]);
    EXPECT_EQ(strips[0], strips[2]);
}

}  // namespace

#endif
