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
    SetDialogScreenshotDirectory("");
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

ImportRun PluginImportTest::Import(const std::string& path, const std::string& script) {
    ImportRun run = RunImport(&session_, scene_, path, script);
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
