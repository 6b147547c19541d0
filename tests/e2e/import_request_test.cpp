// The import as the host drives it, through the plug-in binary: the read
// request, then the import dialog operated by a user, then the scene.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <system_error>

#include "host/call_log.h"
#include "host/dialog_user.h"
#include "host/host_platform.h"
#include "support/import_fixture.h"
#include "support/screenshot_size.h"
#include "support/test_env.h"

namespace {

// Template 101 as the user must see it.
const std::vector<TemplateControl> kImportTemplate = {
    {1, "button", "Import", 170, 20, 50, 14},   {2, "button", "Cancel", 170, 40, 50, 14},
    {-1, "static", "Frames:", 5, 10, 25, 10},   {110, "static", "", 35, 10, 125, 10},
    {112, "listbox", "", 5, 20, 155, 115},      {-1, "static", "Skins:", 5, 145, 20, 8},
    {111, "static", "", 30, 145, 120, 8},       {113, "listbox", "", 5, 155, 155, 40},
};

std::vector<TemplateControl> WithCounts(const char* frames, const char* skins) {
    std::vector<TemplateControl> controls = kImportTemplate;
    controls[3].text = frames;
    controls[6].text = skins;
    return controls;
}

std::string GroupName(HostScene* scene) {
    return scene->groups.count > 0 ? std::string(scene->groups.items[0].name.narrow) : std::string();
}

class ImportRequest : public PluginImportTest {};

}  // namespace

TEST_F(ImportRequest, ImportWithoutTouchingTheListBuildsFrameZero) {
    Md2BuilderModel model = MakeSampleMd2Model(2, 6, 4, 3);
    ImportRun run = Import(WriteModel(model, "three"), "press 1");
    ASSERT_EQ(run.readAnswer, 1);
    EXPECT_EQ(run.optionsAnswer, 1);
    EXPECT_EQ(GroupName(Scene()), model.frames[0].name.substr(0, 16));
    ExpectHostPositions(Scene(), DecodedPositions(model, 0));
    ExpectHostFaces(Scene(), model);
    EXPECT_EQ(CountHostCalls("PostImport"), 1);

    Transcript seen = Seen();
    ASSERT_EQ(seen.dialogs.size(), 1u);
    const SeenDialog& dialog = seen.dialogs[0];
    EXPECT_EQ(dialog.caption, "Import Quake 2 Model");
    for (const std::string& difference : CompareWithTemplate(dialog, WithCounts("3", "2"))) {
        ADD_FAILURE() << difference;
    }
    const SeenControl* frames = dialog.Control(112);
    ASSERT_NE(frames, nullptr);
    EXPECT_EQ(frames->current, -1);
    ASSERT_EQ(frames->items.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(frames->items[static_cast<std::size_t>(i)], model.frames[static_cast<std::size_t>(i)].name.substr(0, 16));
    }
    const SeenControl* skins = dialog.Control(113);
    ASSERT_NE(skins, nullptr);
    ASSERT_EQ(skins->items.size(), 2u);
}

TEST_F(ImportRequest, SelectingTheLastFrameBuildsIt) {
    Md2BuilderModel model = MakeSampleMd2Model(1, 5, 3, 10);
    ImportRun run = Import(WriteModel(model, "ten"), "select 112 9; press 1");
    ASSERT_EQ(run.optionsAnswer, 1);
    EXPECT_EQ(GroupName(Scene()), model.frames[9].name.substr(0, 16));
    ExpectHostPositions(Scene(), DecodedPositions(model, 9));
    ExpectHostFaces(Scene(), model);
}

// The chosen frame is read from the file at the import: a file cut short
// since the read is not built from, and one the system keeps whole while the
// model holds it is built as it was read.
TEST_F(ImportRequest, AFileCutShortAfterTheReadIsNotBuilt) {
    Md2BuilderModel model = MakeSampleMd2Model(1, 300, 4, 40);
    const std::string path = WriteModel(model, "cut-after-read");
    RefSetFilePath(scene_, path);
    ASSERT_EQ(SendRequest(&session_, kRequestRead, scene_), 1);
    std::error_code refused;
    std::filesystem::resize_file(std::filesystem::path(HostWiden(path)), kMd2BuilderHeaderBytes, refused);
    const int answer = ImportOptionsAgain("select 112 39; press 1");
    if (refused) {
        ASSERT_EQ(answer, 1);
        ExpectHostPositions(Scene(), DecodedPositions(model, 39));
    } else {
        EXPECT_EQ(answer, 0);
        EXPECT_EQ(Scene()->vertices.count, 0);
        EXPECT_EQ(CountHostCalls("PostImport"), 0);
    }
}

TEST_F(ImportRequest, CancelEscapeAndCloseLeaveTheSceneAndReleaseTheModel) {
    Md2BuilderModel model = MakeSampleMd2Model(1, 4, 2, 2);
    std::string path = WriteModel(model, "cancelled");
    for (const char* script : {"press 2", "escape", "close"}) {
        SCOPED_TRACE(script);
        ImportRun run = Import(path, script);
        ASSERT_EQ(run.readAnswer, 1);
        EXPECT_EQ(run.optionsAnswer, 2);
        EXPECT_EQ(Scene()->materials.count, 0);
        EXPECT_EQ(Scene()->vertices.count, 0);
        EXPECT_EQ(Scene()->groups.count, 0);
        ASSERT_EQ(Seen().dialogs.size(), 1u);
        // The model is gone: the next request finds nothing to list or build.
        EXPECT_EQ(ImportOptionsAgain("press 1"), 0);
        Transcript again = Seen();
        ASSERT_EQ(again.dialogs.size(), 1u);
        EXPECT_EQ(again.dialogs[0].Control(110)->text, "0");
        EXPECT_TRUE(again.dialogs[0].Control(112)->items.empty());
    }
}

TEST_F(ImportRequest, ModelWithoutSkinsShowsZeroAndAnEmptyList) {
    Md2BuilderModel model = MakeSampleMd2Model(0, 4, 2, 1);
    ImportRun run = Import(WriteModel(model, "bare"), "press 1");
    ASSERT_EQ(run.optionsAnswer, 1);
    Transcript seen = Seen();
    const SeenDialog& dialog = seen.dialogs.at(0);
    EXPECT_EQ(dialog.Control(111)->text, "0");
    EXPECT_TRUE(dialog.Control(113)->items.empty());
    EXPECT_EQ(Scene()->materials.count, 0);
    ASSERT_EQ(Scene()->meshes.count, 1);
    EXPECT_EQ(Scene()->meshes.items[0].faces[0].materialIndex, -1);
}

TEST_F(ImportRequest, FrameNamesAreListedInFileOrder) {
    Md2BuilderModel model = MakeSampleMd2Model(0, 3, 1, 4);
    const char* names[] = {"zeta", "alpha", "mid", "beta"};
    for (int i = 0; i < 4; ++i) {
        model.frames[static_cast<std::size_t>(i)].name = names[i];
    }
    ASSERT_EQ(Import(WriteModel(model, "order"), "press 2").optionsAnswer, 2);
    Transcript seen = Seen();
    const SeenControl* list = seen.dialogs.at(0).Control(112);
    ASSERT_EQ(list->items.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list->items[static_cast<std::size_t>(i)], names[i]);
    }
}

TEST_F(ImportRequest, SkinsBecomeMaterialsWithTexturePathsBesideTheModel) {
    Md2BuilderModel model = MakeSampleMd2Model(2, 4, 2, 1);
    model.skins = {"models/monsters/tank/skin.pcx", "C:\\q2\\pain.pcx"};
    std::string path = WriteModel(model, "skinned");
    ASSERT_EQ(Import(path, "press 1").optionsAnswer, 1);
    ASSERT_EQ(Scene()->materials.count, 2);
    std::string directory = path.substr(0, path.find_last_of("/\\") + 1);
    const char* expected[] = {"skin.pcx", "pain.pcx"};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(RefMaterialName(scene_, i), expected[i]);
        HostTextureLayer* layer = RefTextureLayer(scene_, i);
        ASSERT_NE(layer, nullptr);
        EXPECT_EQ(std::string(layer->path.narrow), directory + expected[i]);
        EXPECT_EQ(layer->flags & 1, 1);
    }
    for (int f = 0; f < Scene()->meshes.items[0].faceCount; ++f) {
        EXPECT_EQ(Scene()->meshes.items[0].faces[f].materialIndex, 0);
    }
}

TEST_F(ImportRequest, BareFileNameIsReadFromTheCurrentFolder) {
    Md2BuilderModel model = MakeSampleMd2Model(1, 4, 2, 2);
    model.skins = {"models/monsters/tank/skin.pcx"};
    WriteModel(model, "bare");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(directory_);
    const std::filesystem::path folder = std::filesystem::current_path();
    ImportRun run = Import("bare.md2", "select 112 1; press 1");
    const std::filesystem::path after = std::filesystem::current_path();
    std::filesystem::current_path(before);
    ASSERT_EQ(run.readAnswer, 1) << run.errorText;
    ASSERT_EQ(run.optionsAnswer, 1);
    ExpectHostPositions(Scene(), DecodedPositions(model, 1));
    // No folder to go to: the current one stays, and the skin is named alone.
    EXPECT_EQ(after, folder);
    ASSERT_EQ(Scene()->materials.count, 1);
    EXPECT_EQ(std::string(RefTextureLayer(scene_, 0)->path.narrow), "skin.pcx");
}

TEST_F(ImportRequest, ScreenshotOfTheOpenDialog) {
    if (!TestOnWindows()) {
        GTEST_SKIP() << "screenshots are taken of the real dialog under Wine";
    }
    Md2BuilderModel model = MakeSampleMd2Model(2, 6, 4, 5);
    ASSERT_EQ(Import(WriteModel(model, "shot"), "select 112 2; press 1", TestArtifactsDir()).optionsAnswer, 1);
    ExpectDialogScreenshot(TestArtifactsDir() + "1-Import-Quake-2-Model.bmp", Seen().dialogs.at(0), 227, 206);
}
