// The plug-in's export against the straightforward reference writer (every
// frame evaluated twice, every normal found by the arc cosine over the whole
// table, one write per vertex): the files must be the same byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/bench_scene.h"
#include "support/literal_export.h"
#include "export/export_command.h"
#include "host/demo_scene.h"
#include "host/ref_scene.h"
#include "import/scene_builder.h"
#include "md2/md2_model.h"
#include "import/read_request.h"
#include "host_api/host_ops.h"
#include "plugin/plugin_state.h"
#include "support/rig_builder.h"
#include "support/test_env.h"
#include "unit/export/export_test_support.h"

namespace {

class ExportFastPathIdentity : public ::testing::Test {
protected:
    void SetUp() override {
        directory_ = TestTempDir(std::string("identity-") +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        previousDirectory_ = std::filesystem::current_path();
    }
    void TearDown() override {
        std::filesystem::current_path(previousDirectory_);
    }

    // Every face normal the scene holds, in mesh and face order.
    static std::vector<float> SceneFaceNormals(RefScene* scene) {
        std::vector<float> normals;
        const HostScene* host = RefSceneHost(scene);
        for (int m = 0; m < host->meshes.count; ++m) {
            for (int f = 0; f < host->meshes.items[m].faceCount; ++f) {
                const float* n = host->meshes.items[m].faces[f].normal;
                normals.insert(normals.end(), n, n + 3);
            }
        }
        return normals;
    }

    // Builds the scene twice (each export turns the axes of its own copy),
    // exports one copy through the plug-in and the other through the
    // reference writer, and compares the two files and the face normals
    // each export leaves in its scene (those of the last frame).
    // `workers` is the number of threads the writer splits the frames over (0: its own choice).
    void ExpectSameFiles(const std::function<RefScene*()>& build, const std::string& name, int workers = 0) {
        SCOPED_TRACE(name);
        const std::string real = directory_ + name + "-writer.md2";
        const std::string literal = directory_ + name + "-literal.md2";

        RefScene* first = build();
        ASSERT_NE(first, nullptr);
        RefSetFilePath(first, real);
        PrepareExport(RefSceneHost(first));
        const int written = WriteExportFile(RefSceneHost(first), CurrentExportSettings(), workers);
        const std::vector<float> writerNormals = SceneFaceNormals(first);
        RefSceneDestroy(first);
        ASSERT_EQ(written, 1);

        RefScene* second = build();
        ASSERT_NE(second, nullptr);
        RefSetFilePath(second, literal);
        PrepareExport(RefSceneHost(second));
        const bool literalWritten = WriteLiteralExport(RefSceneHost(second));
        const std::vector<float> literalNormals = SceneFaceNormals(second);
        RefSceneDestroy(second);
        ASSERT_TRUE(literalWritten);
        EXPECT_EQ(writerNormals, literalNormals);

        const std::string a = ReadFileBytes(real);
        const std::string b = ReadFileBytes(literal);
        ASSERT_GT(a.size(), 68u);
        ASSERT_EQ(a.size(), b.size());
        for (std::size_t i = 0; i < a.size(); ++i) {
            ASSERT_EQ(a[i], b[i]) << "first difference at byte " << i;
        }
    }

    std::string directory_;
    std::filesystem::path previousDirectory_;
};

TEST_F(ExportFastPathIdentity, AnimatedRigsMatchTheReferenceWriter) {
    // The demo body: quads the host triangulates, a long animation name, one skin.
    ExpectSameFiles(
        [&] {
            RefScene* scene = BuildDemoScene(directory_);
            if (scene != nullptr && Triangulate(RefSceneHost(scene)) == 0) {
                RefSceneDestroy(scene);
                return static_cast<RefScene*>(nullptr);
            }
            return scene;
        },
        "demo");
    // The benchmark's model at a small size: four animations, two weights per vertex.
    ExpectSameFiles([] { return BuildExportBenchScene("", 96, 6, 9); }, "bench-small");
    // The arm lies in one plane and its animations keep z at 0 there: a flat axis.
    ExpectSameFiles(BuildArmRig, "arm");
}

TEST_F(ExportFastPathIdentity, FramesSplitOverThreadsMatchTheReferenceWriter) {
    // Uneven splits, more threads than processors, and a slice per frame.
    for (const int workers : {1, 2, 3, 8}) {
        ExpectSameFiles([] { return BuildExportBenchScene("", 96, 6, 9); }, "split-" + std::to_string(workers),
                        workers);
    }
    ExpectSameFiles(
        [] {
            RefScene* scene = BuildExportBenchScene("", 48, 3, 2);
            RefSetTrack(scene, 1, 2, {}, {}, {{0, 3e38f, 3e38f, 1}, {1, 1, 1, 1}});
            return scene;
        },
        "split-overflowing", 3);
    // A coordinate that is not a number in a middle slice: the bounds come from one pass.
    ExpectSameFiles(
        [] {
            RefScene* scene = BuildExportBenchScene("", 48, 3, 3);
            RefSetTrack(scene, 2, 1, {}, {}, {{0, std::nanf(""), 1, 1}});
            return scene;
        },
        "split-not-a-number", 3);
}

TEST_F(ExportFastPathIdentity, MirroredBonesMatchTheReferenceWriter) {
    // Negative scale keys turn the faces inside out (normals flip) and one
    // axis collapses to a plane in the last animation.
    ExpectSameFiles(
        [] {
            RefScene* scene = BuildExportBenchScene("", 64, 4, 5);
            for (int bone = 0; bone < 4; ++bone) {
                const float sx = bone % 2 == 0 ? -1.0f : 1.0f;
                RefSetTrack(scene, 0, bone, {}, {}, {{0, sx, 1, 1}, {1, sx, -1, 1}});
                RefSetTrack(scene, 3, bone, {}, {}, {{0, 0, 1, 1}});
            }
            return scene;
        },
        "mirrored");
}

TEST_F(ExportFastPathIdentity, PositionsBeyondRangeMatchTheReferenceWriter) {
    // A huge scale key on one bone in one animation: its vertices land far
    // beyond every other and the shared box, then overflow to infinity, whose
    // coordinates are not numbers once the box is subtracted.
    for (const float huge : {3e30f, 3e38f}) {
        ExpectSameFiles(
            [huge] {
                RefScene* scene = BuildExportBenchScene("", 48, 3, 4);
                RefSetTrack(scene, 1, 2, {}, {}, {{0, huge, huge, 1}, {1, 1, 1, 1}});
                return scene;
            },
            huge > 1e38f ? "overflowing" : "far");
    }
}

TEST_F(ExportFastPathIdentity, StaticScenesWithOddNormalsMatchTheReferenceWriter) {
    // No animations: the host normals are written as given, zero and
    // unnormalised ones included, on a model flat in one axis.
    ExpectSameFiles(
        [] {
            RefScene* scene = RefSceneCreate();
            const int group = RefAddGroup(scene, "plane");
            for (int i = 0; i < 9; ++i) {
                RefAddVertex(scene, static_cast<float>(i % 3), 0.0f, static_cast<float>(i / 3) * 0.7f);
            }
            const float normals[9][3] = {{0, 0, 0}, {0, 1, 0}, {0, 3, 0},       {1, 1, 1},      {0, 0, 0},
                                         {-1, 0, 0}, {0.57735f, 0.57735f, 0.57735f}, {1e-20f, 0, 0}, {0, -2, 1}};
            for (int i = 0; i < 9; ++i) {
                RefSetVertexNormal(scene, i, normals[i][0], normals[i][1], normals[i][2]);
            }
            for (int row = 0; row < 2; ++row) {
                for (int column = 0; column < 2; ++column) {
                    const int v = row * 3 + column;
                    RefAddFace(scene, group, {v, v + 1, v + 4});
                    RefAddFace(scene, group, {v, v + 4, v + 3});
                }
            }
            return scene;
        },
        "flat-static");
}

TEST_F(ExportFastPathIdentity, ImportedFileReexportMatchesTheReferenceWriter) {
    if (TestOnWindows()) {
        GTEST_SKIP() << "the published model is read from the Linux file system";
    }
    const std::string source = "/usr/share/assimp/models/MD2/faerie.md2";
    ExpectSameFiles(
        [&] {
            RefScene* scene = RefSceneCreate();
            RefSetFilePath(scene, source);
            const bool imported = LoadMd2File(RefSceneHost(scene), CurrentImport()) == 1 &&
                                  BuildImportedFrame(RefSceneHost(scene), CurrentImport()) == 1;
            ReleaseImportRecord(CurrentImport());
            if (!imported) {
                RefSceneDestroy(scene);
                return static_cast<RefScene*>(nullptr);
            }
            return scene;
        },
        "faerie");
}

}  // namespace
