// Frame 0 of two published models imported through the plug-in binary,
// against an independent converter that writes frame 0 as OBJ in the same
// axes and corner order as a host import.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/import_fixture.h"
#include "support/obj_reader.h"
#include "support/test_env.h"

namespace {

class ImportRealFiles : public PluginImportTest, public ::testing::WithParamInterface<const char*> {};

}  // namespace

TEST_P(ImportRealFiles, FrameZeroMatchesTheIndependentConverterCornerByCorner) {
    if (TestOnWindows()) {
        GTEST_SKIP() << "the independent converter is a Linux tool";
    }
    const std::filesystem::path model = std::filesystem::path("/usr/share/assimp/models/MD2") / GetParam();
    ASSERT_TRUE(std::filesystem::exists(model)) << model << " missing: install assimp-testmodels";
    const std::filesystem::path obj = std::filesystem::path(directory_) / "frame0.obj";
    ASSERT_TRUE(ExportWithAssimp(model, obj)) << "install assimp-utils";
    ObjMesh theirs;
    ASSERT_TRUE(ReadObj(obj, &theirs));

    ImportRun run = Import(model.string(), "press 1");
    ASSERT_EQ(run.readAnswer, 1);
    ASSERT_EQ(run.optionsAnswer, 1);
    HostScene* scene = Scene();
    ASSERT_EQ(scene->meshes.count, 1);
    const HostMesh& mesh = scene->meshes.items[0];
    ASSERT_EQ(static_cast<std::size_t>(mesh.faceCount), theirs.faces.size());
    ASSERT_FALSE(Seen().dialogs.empty());
    const SeenControl* frames = Seen().dialogs[0].Control(112);
    ASSERT_NE(frames, nullptr);
    ASSERT_FALSE(frames->items.empty());
    EXPECT_EQ(std::string(scene->groups.items[0].name.narrow), frames->items[0]);

    for (int f = 0; f < mesh.faceCount; ++f) {
        for (int c = 0; c < 3; ++c) {
            const ObjCorner& corner = theirs.faces[static_cast<std::size_t>(f)][static_cast<std::size_t>(c)];
            const auto& expected = theirs.positions.at(static_cast<std::size_t>(corner.position));
            int vertex = mesh.faces[f].vertexIndices[c];
            ASSERT_TRUE(vertex >= 0 && vertex < scene->vertices.count);
            const float* ours = scene->vertices.items[vertex].position;
            ASSERT_TRUE(ours[0] == expected[0] && ours[1] == expected[1] && ours[2] == expected[2])
                << "face " << f << " corner " << c << ": (" << ours[0] << ", " << ours[1] << ", " << ours[2]
                << ") against (" << expected[0] << ", " << expected[1] << ", " << expected[2] << ")";
            const auto& uv = theirs.texCoords.at(static_cast<std::size_t>(corner.texCoord));
            EXPECT_NEAR(mesh.faces[f].uv->cornerUVs[c].u, uv[0], 1e-7);
            EXPECT_NEAR(mesh.faces[f].uv->cornerUVs[c].v, 1.0 - static_cast<double>(uv[1]), 1e-7);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(PublishedModels, ImportRealFiles, ::testing::Values("faerie.md2", "sydney.md2"));
