// Building the chosen frame into a reference-host scene: materials from
// skins, vertices, the group, faces with their winding reversed, and every
// way an index or the host can make the build fail.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/call_log.h"
#include "plugin/plugin_state.h"
#include "host/ref_scene.h"
#include "import/scene_builder.h"
#include "md2/md2_model.h"
#include "import/read_request.h"
#include "support/md2_builder.h"
#include "support/test_env.h"
#include "support/md2_decode.h"

namespace {

class SceneBuilder : public ::testing::Test {
protected:
    void SetUp() override {
        scene_ = RefSceneCreate();
        directory_ = TestTempDir(std::string("builder-") +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        previousDirectory_ = std::filesystem::current_path();
        ClearHostCallLog();
    }
    void TearDown() override {
        ReleaseImportRecord(CurrentImport());
        RefSceneDestroy(scene_);
        std::filesystem::current_path(previousDirectory_);
    }

    // Loads the model into the plug-in's model through the reader.
    void Load(const Md2BuilderModel& model, const std::string& name = "model.md2") {
        std::vector<std::uint8_t> bytes = BuildMd2File(model);
        std::string path = directory_ + name;
        ASSERT_TRUE(WriteTestFile(path, std::string(bytes.begin(), bytes.end())));
        RefSetFilePath(scene_, path);
        ASSERT_EQ(LoadMd2File(Host(), CurrentImport()), 1);
    }
    HostScene* Host() { return RefSceneHost(scene_); }
    const HostFace& Face(int i) { return Host()->meshes.items[0].faces[i]; }

    RefScene* scene_ = nullptr;
    std::string directory_;
    std::filesystem::path previousDirectory_;
};

// One frame of `vertices` vertices and the given triangles, each with its own
// three texture coordinates unless the triangle names others.
Md2BuilderModel Model(int vertices, std::vector<std::array<std::int16_t, 6>> triangles, int skins = 0,
                      int texCoords = -1) {
    Md2BuilderModel model = MakeSampleMd2Model(skins, vertices, 1, 1);
    model.triangles = std::move(triangles);
    int coords = texCoords >= 0 ? texCoords : static_cast<int>(3 * model.triangles.size());
    model.texCoords.clear();
    for (int c = 0; c < coords; ++c) {
        model.texCoords.push_back({static_cast<std::int16_t>(8 * c), static_cast<std::int16_t>(4 * c + 1)});
    }
    return model;
}

}  // namespace

TEST_F(SceneBuilder, TriangleCornersAreReversedWithTheirTextureCoordinates) {
    Load(Model(8, {{5, 6, 7, 1, 2, 3}}, 0, 4));
    ASSERT_EQ(BuildImportedFrame(Host(), CurrentImport()), 1);
    const HostFace& face = Face(0);
    EXPECT_EQ(face.vertexIndices[0], 7);
    EXPECT_EQ(face.vertexIndices[1], 6);
    EXPECT_EQ(face.vertexIndices[2], 5);
    // Coordinate c was stored as s = 8c, t = 4c + 1 over a 128 x 64 skin.
    const int expected[3] = {3, 2, 1};
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(face.uv->cornerUVs[j].u, static_cast<float>(8 * expected[j]) * (1.0f / 128.0f)) << j;
        EXPECT_EQ(face.uv->cornerUVs[j].v, static_cast<float>(4 * expected[j] + 1) * (1.0f / 64.0f)) << j;
    }
    EXPECT_EQ(face.groupIndex, 0);
    EXPECT_EQ(face.materialIndex, -1);
    EXPECT_EQ(CountHostCalls("PostImport"), 1);
}

TEST_F(SceneBuilder, IndexAtTheCountFailsAndKeepsWhatWasAdded) {
    Load(Model(4, {{0, 1, 2, 0, 1, 2}, {1, 2, 4, 3, 4, 5}}, 1));
    EXPECT_EQ(BuildImportedFrame(Host(), CurrentImport()), 0);
    EXPECT_EQ(Host()->materials.count, 1);
    EXPECT_EQ(Host()->vertices.count, 4);
    EXPECT_EQ(Host()->groups.count, 1);
    EXPECT_EQ(Face(0).vertexIndices[2], 0);
    EXPECT_EQ(CountHostCalls("PostImport"), 0);

    ReleaseImportRecord(CurrentImport());
    RefScene* fresh = RefSceneCreate();
    RefSceneDestroy(scene_);
    scene_ = fresh;
    Load(Model(4, {{0, 1, 2, 0, 1, 3}}, 0, 3));  // texture index 3 of 3
    EXPECT_EQ(BuildImportedFrame(Host(), CurrentImport()), 0);
}

TEST_F(SceneBuilder, NegativeIndicesAndFramesWithoutVerticesNeverReachTheHost) {
    // 0xFFFF reads as -1.
    Load(Model(4, {{0, 1, -1, 0, 1, 2}}));
    EXPECT_EQ(BuildImportedFrame(Host(), CurrentImport()), 0);
    for (int j = 0; j < 3; ++j) {
        EXPECT_GE(Face(0).vertexIndices[j], 0);
    }
    ReleaseImportRecord(CurrentImport());
    RefSceneDestroy(scene_);
    scene_ = RefSceneCreate();
    Load(Model(4, {{0, 1, 2, 0, -1, 2}}));
    EXPECT_EQ(BuildImportedFrame(Host(), CurrentImport()), 0);

    ReleaseImportRecord(CurrentImport());
    RefSceneDestroy(scene_);
    scene_ = RefSceneCreate();
    ClearHostCallLog();
    Md2BuilderModel empty = Model(0, {{0, 0, 0, 0, 1, 2}});
    Load(empty);
    EXPECT_EQ(BuildImportedFrame(Host(), CurrentImport()), 0);
    EXPECT_EQ(Host()->vertices.count, 0);
    EXPECT_EQ(CountHostCalls("AllocVertices"), 0);
}

TEST_F(SceneBuilder, SkinsBecomeMaterialsAndTheirDirectoryTheCurrentOne) {
    Md2BuilderModel model = Model(3, {{0, 1, 2, 0, 1, 2}}, 2);
    model.skins = {"players/male/grunt.pcx", "ctf_r.pcx"};
    Load(model);
    ASSERT_EQ(BuildImportedFrame(Host(), CurrentImport()), 1);
    ASSERT_EQ(Host()->materials.count, 2);
    EXPECT_EQ(RefMaterialName(scene_, 0), "grunt.pcx");
    EXPECT_EQ(RefMaterialName(scene_, 1), "ctf_r.pcx");
    EXPECT_EQ(std::string(RefTextureLayer(scene_, 0)->path.narrow), directory_ + "grunt.pcx");
    EXPECT_EQ(std::string(RefTextureLayer(scene_, 1)->path.narrow), directory_ + "ctf_r.pcx");
    EXPECT_EQ(Face(0).materialIndex, 0);
    EXPECT_EQ(std::filesystem::current_path().generic_string() + "/", directory_);
}

TEST_F(SceneBuilder, WithoutSkinsTheCurrentDirectoryStays) {
    Load(Model(3, {{0, 1, 2, 0, 1, 2}}, 0));
    std::filesystem::path before = std::filesystem::current_path();
    ASSERT_EQ(BuildImportedFrame(Host(), CurrentImport()), 1);
    EXPECT_EQ(std::filesystem::current_path(), before);
    EXPECT_EQ(Host()->materials.items, nullptr);
}

TEST_F(SceneBuilder, ImagePathThatDoesNotFitLeavesTheMaterialWithoutTexture) {
    // A directory of 240 characters plus a 30-character skin name.
    std::string deep = directory_ + std::string(240 - directory_.size(), 'd') + "/";
    std::filesystem::create_directories(deep);
    Md2BuilderModel model = Model(3, {{0, 1, 2, 0, 1, 2}}, 2);
    model.skins = {std::string(26, 's') + ".pcx", "ok.pcx"};
    std::vector<std::uint8_t> bytes = BuildMd2File(model);
    ASSERT_TRUE(WriteTestFile(deep + "m.md2", std::string(bytes.begin(), bytes.end())));
    RefSetFilePath(scene_, deep + "m.md2");
    ASSERT_EQ(LoadMd2File(Host(), CurrentImport()), 1);
    ASSERT_EQ(BuildImportedFrame(Host(), CurrentImport()), 1);
    ASSERT_EQ(Host()->materials.count, 2);
    EXPECT_EQ(RefTextureLayer(scene_, 0), nullptr);
    ASSERT_NE(RefTextureLayer(scene_, 1), nullptr);
    EXPECT_EQ(std::string(RefTextureLayer(scene_, 1)->path.narrow), deep + "ok.pcx");
}

TEST_F(SceneBuilder, BuildsTheSelectedFrameAndRefusesOneOutOfRange) {
    Md2BuilderModel model = MakeSampleMd2Model(0, 5, 2, 10);
    Load(model);
    CurrentImport()->selectedFrame = 10;
    EXPECT_EQ(BuildImportedFrame(Host(), CurrentImport()), 0);
    CurrentImport()->selectedFrame = -1;
    EXPECT_EQ(BuildImportedFrame(Host(), CurrentImport()), 0);
    EXPECT_TRUE(HostCallLog().empty());
    CurrentImport()->selectedFrame = 3;
    ASSERT_EQ(BuildImportedFrame(Host(), CurrentImport()), 1);
    EXPECT_STREQ(Host()->groups.items[0].name.narrow, "pose3");
    const Md2BuilderFrame& frame = model.frames[3];
    // Vertex 1 in the host's axes: (x, y, z) -> (x, z, -y).
    const float x = DecodeMd2Coordinate(frame.vertices[1][0], frame.scale[0], frame.translate[0]);
    const float y = DecodeMd2Coordinate(frame.vertices[1][1], frame.scale[1], frame.translate[1]);
    const float z = DecodeMd2Coordinate(frame.vertices[1][2], frame.scale[2], frame.translate[2]);
    EXPECT_EQ(Host()->vertices.items[1].position[0], x);
    EXPECT_EQ(Host()->vertices.items[1].position[1], z);
    EXPECT_EQ(Host()->vertices.items[1].position[2], -y);
}

TEST_F(SceneBuilder, EveryRefusalOfTheHostFailsTheBuild) {
    const RefAnswer refusals[] = {RefAnswer::AddMaterial, RefAnswer::AllocVertices, RefAnswer::AddGroup,
                                  RefAnswer::NewestMesh, RefAnswer::AllocFaces};
    for (RefAnswer refusal : refusals) {
        RefSceneDestroy(scene_);
        scene_ = RefSceneCreate();
        Load(Model(3, {{0, 1, 2, 0, 1, 2}}, 1));
        RefSetAnswer(scene_, refusal, 0);
        EXPECT_EQ(BuildImportedFrame(Host(), CurrentImport()), 0) << static_cast<int>(refusal);
        ReleaseImportRecord(CurrentImport());
    }
    // A refused texture layer leaves the material without texture; the build
    // goes on.
    RefSceneDestroy(scene_);
    scene_ = RefSceneCreate();
    Load(Model(3, {{0, 1, 2, 0, 1, 2}}, 1));
    RefSetAnswer(scene_, RefAnswer::OpenTextureLayer, 0);
    EXPECT_EQ(BuildImportedFrame(Host(), CurrentImport()), 1);
    EXPECT_EQ(RefTextureLayer(scene_, 0), nullptr);
}
