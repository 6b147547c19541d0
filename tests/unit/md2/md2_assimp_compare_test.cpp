// Frame 0 of two published models against an independent reader: the
// command-line converter of the Open Asset Import Library writes frame 0 as
// OBJ with each triangle's corners in reverse order, each position mapped
// from (x, y, z) to (x, z, -y) and each v flipped to 1 - v.
#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "support/decoded_frame.h"
#include "support/md2_builder.h"
#include "support/obj_reader.h"
#include "support/test_env.h"
#include "unit/md2/md2_test_support.h"

namespace {

class Md2AssimpCompare : public Md2ReaderTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(Md2AssimpCompare, FrameZeroMatchesTheIndependentReader) {
    if (TestOnWindows()) {
        GTEST_SKIP() << "the independent reader is a Linux tool";
    }
    const std::filesystem::path model = std::filesystem::path("/usr/share/assimp/models/MD2") / GetParam();
    ASSERT_TRUE(std::filesystem::exists(model)) << model << " missing: install assimp-testmodels";
    const std::filesystem::path dir = MakeScratchDirectory("md2-assimp");
    const std::filesystem::path obj = dir / "frame0.obj";
    ASSERT_TRUE(ExportWithAssimp(model, obj)) << "assimp export failed: install assimp-utils";
    ObjMesh mesh;
    ASSERT_TRUE(ReadObj(obj, &mesh));
    std::error_code error;
    std::filesystem::remove_all(dir, error);

    auto scene = NewScene();
    SetScenePath(scene.get(), model);
    ASSERT_EQ(LoadMd2File(scene.get(), TestRecord()), 1);
    const Md2Model* md2 = TestModel();
    ASSERT_GT(md2->frameCount, 0);
    ASSERT_EQ(static_cast<std::size_t>(md2->triangleCount), mesh.faces.size());

    const Md2Frame& frame = md2->frames[0];
    const std::vector<Md2Position> positions = DecodedFrame(frame);
    int corners = 0;
    for (int n = 0; n < md2->triangleCount; ++n) {
        const Md2Triangle& triangle = md2->triangles[n];
        for (int j = 0; j < 3; ++j) {
            const ObjCorner& theirs = mesh.faces[static_cast<std::size_t>(n)][static_cast<std::size_t>(j)];
            const int k = 2 - j;
            const int vertex = triangle.vertexIndices[k];
            const int st = triangle.texCoordIndices[k];
            ASSERT_TRUE(vertex >= 0 && vertex < frame.vertexCount) << n;
            ASSERT_TRUE(st >= 0 && st < md2->texCoordCount) << n;
            ASSERT_TRUE(theirs.position >= 0 && static_cast<std::size_t>(theirs.position) < mesh.positions.size());
            ASSERT_TRUE(theirs.texCoord >= 0 && static_cast<std::size_t>(theirs.texCoord) < mesh.texCoords.size());

            const auto& p = mesh.positions[static_cast<std::size_t>(theirs.position)];
            const Md2Position& ours = positions[static_cast<std::size_t>(vertex)];
            EXPECT_EQ(ours.x, p[0]) << "triangle " << n << " corner " << k;
            EXPECT_EQ(ours.y, -p[2]) << "triangle " << n << " corner " << k;
            EXPECT_EQ(ours.z, p[1]) << "triangle " << n << " corner " << k;

            const auto& uv = mesh.texCoords[static_cast<std::size_t>(theirs.texCoord)];
            EXPECT_NEAR(md2->texCoords[st].u, uv[0], 1e-7) << "triangle " << n << " corner " << k;
            EXPECT_NEAR(md2->texCoords[st].v, 1.0 - static_cast<double>(uv[1]), 1e-7) << "triangle " << n << " corner " << k;
            ++corners;
        }
    }
    EXPECT_EQ(corners, 3 * md2->triangleCount);
}

INSTANTIATE_TEST_SUITE_P(PublishedModels, Md2AssimpCompare, ::testing::Values("faerie.md2", "sydney.md2"));

}  // namespace
