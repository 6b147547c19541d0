#include "support/import_fixture.h"

#include "host/call_log.h"
#include "host/dialog_user.h"
#include "support/test_env.h"
#include "support/md2_decode.h"

void PluginImportTest::SetUp() {
    ClearHostCallLog();
    std::string error;
    ASSERT_TRUE(OpenSession(TestPluginPath(), &session_, &error)) << error;
    scene_ = RefSceneCreate();
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    directory_ = TestTempDir(std::string(info->test_suite_name()) + "-" + info->name());
}

void PluginImportTest::TearDown() {
    EXPECT_TRUE(HostTrapCalls().empty()) << "the plug-in called an operation outside the interface";
    RefSceneDestroy(scene_);
    CloseSession(&session_);
}

std::string PluginImportTest::WriteModel(const Md2BuilderModel& model, const std::string& name) {
    std::vector<std::uint8_t> bytes = BuildMd2File(model);
    std::string path = directory_ + name + ".md2";
    EXPECT_TRUE(WriteTestFile(path, std::string(bytes.begin(), bytes.end())));
    return path;
}

ImportRun PluginImportTest::Import(const std::string& path, const std::string& script,
                                   const std::string& screenshotDirectory) {
    ImportRun run = RunImport(&session_, scene_, path, script, screenshotDirectory);
    lastTranscript_ = run.transcript;
    return run;
}

int PluginImportTest::ImportOptionsAgain(const std::string& script) {
    StartDialogUser(script);
    int answer = SendRequest(&session_, kRequestImportOptions, scene_);
    lastTranscript_ = FinishDialogUser();
    return answer;
}

std::vector<float> DecodedPositions(const Md2BuilderModel& model, int frame) {
    std::vector<float> positions;
    const Md2BuilderFrame& f = model.frames[static_cast<std::size_t>(frame)];
    for (const auto& vertex : f.vertices) {
        for (int a = 0; a < 3; ++a) {
            positions.push_back(DecodeMd2Coordinate(vertex[static_cast<std::size_t>(a)], f.scale[a], f.translate[a]));
        }
    }
    return positions;
}

// Host position i after the turn into the host's axes: (x, y, z) -> (x, z, -y).
void ExpectHostPositions(HostScene* scene, const std::vector<float>& model) {
    ASSERT_EQ(static_cast<std::size_t>(scene->vertices.count) * 3, model.size());
    for (int i = 0; i < scene->vertices.count; ++i) {
        const float* p = scene->vertices.items[i].position;
        EXPECT_EQ(p[0], model[3 * i]) << "vertex " << i;
        EXPECT_EQ(p[1], model[3 * i + 2]) << "vertex " << i;
        EXPECT_EQ(p[2], -model[3 * i + 1]) << "vertex " << i;
    }
}

// Face i is triangle i with its winding reversed: corners (c, b, a) of the
// file's (a, b, c), each corner with its texture coordinate scaled by the
// reciprocal of the skin size.
void ExpectHostFaces(HostScene* scene, const Md2BuilderModel& model) {
    ASSERT_EQ(scene->meshes.count, 1);
    const HostMesh& mesh = scene->meshes.items[0];
    ASSERT_EQ(static_cast<std::size_t>(mesh.faceCount), model.triangles.size());
    const float toU = 1.0f / static_cast<float>(model.skinWidth);
    const float toV = 1.0f / static_cast<float>(model.skinHeight);
    for (int f = 0; f < mesh.faceCount; ++f) {
        const auto& triangle = model.triangles[static_cast<std::size_t>(f)];
        const HostFace& face = mesh.faces[f];
        ASSERT_NE(face.uv, nullptr);
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(face.vertexIndices[c], triangle[static_cast<std::size_t>(2 - c)]) << "face " << f << " corner " << c;
            const auto& st = model.texCoords[static_cast<std::size_t>(triangle[static_cast<std::size_t>(5 - c)])];
            EXPECT_EQ(face.uv->cornerUVs[c].u, static_cast<float>(st[0]) * toU) << "face " << f << " corner " << c;
            EXPECT_EQ(face.uv->cornerUVs[c].v, static_cast<float>(st[1]) * toV) << "face " << f << " corner " << c;
        }
    }
}
