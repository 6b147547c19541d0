// The export as the host drives it, through the plug-in binary: the checks
// and their message boxes, the export and rename dialogs operated by a user,
// the write request and the file it leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include "anim/frame_sampling.h"
#include "anim/pose_evaluation.h"
#include "anim/pose_state.h"
#include "scene/axis_conversion.h"
#include "host/call_log.h"
#include "host/demo_scene.h"
#include "host/dialog_user.h"
#include "support/rig_builder.h"
#include "support/screenshot_size.h"
#include "support/test_env.h"
#include "unit/export/export_test_support.h"

namespace {

// Template 102 as the user must see it, with the texts the dialog fills in.
std::vector<TemplateControl> ExportTemplate(const char* directory, const char* width, const char* height,
                                            const char* animations, const char* total) {
    return {
        {1, "button", "OK", 175, 10, 50, 14},
        {2, "button", "Cancel", 175, 27, 50, 14},
        {-1, "button", "Directory Options", 5, 5, 165, 90},
        {-1, "static", "Local skin directory:", 15, 20, 105, 8},
        {1002, "edit", directory, 15, 30, 145, 12},
        {-1, "static", "Note: All paths are limited to 64 characters.", 15, 50, 145, 8},
        {-1, "static", "Use forward slashes.", 35, 60, 95, 8},
        {-1, "static", "Do not include the filename.", 35, 70, 95, 8},
        {-1, "static", "ex: models/weapons2/gauntlet/", 35, 80, 110, 8},
        {-1, "button", "Skin Options", 5, 100, 165, 50},
        {-1, "static", "width:", 10, 118, 25, 8},
        {-1, "static", "height:", 10, 131, 25, 8},
        {1000, "edit", width, 40, 115, 45, 12},
        {1001, "edit", height, 40, 130, 45, 12},
        {112, "listbox", "", 5, 180, 165, 90},
        {-1, "static", "Animations:", 5, 160, 35, 8},
        {1005, "static", animations, 45, 160, 115, 8},
        {-1, "static", "Total Frames:", 5, 170, 45, 8},
        {110, "static", total, 50, 170, 110, 8},
        {3, "button", "Rename", 175, 180, 50, 14},
    };
}

std::vector<TemplateControl> RenameTemplate(const char* name) {
    return {
        {1, "button", "OK", 130, 10, 50, 14},
        {2, "button", "Cancel", 130, 27, 50, 14},
        {1006, "edit", name, 10, 20, 105, 12},
        {-1, "button", "Name", 0, 5, 125, 40},
    };
}

void ExpectTemplate(const SeenDialog& dialog, const std::vector<TemplateControl>& controls) {
    for (const std::string& difference : CompareWithTemplate(dialog, controls)) {
        ADD_FAILURE() << dialog.caption << ": " << difference;
    }
}

std::string VerticesMessage(int found) {
    return "The MD2 file format does not support more than\n32767 vertices.\n\nvertices found: " +
           std::to_string(found) + "\n";
}

std::string MaterialsMessage(const std::string& group) {
    return "The MD2 file format does not support materials per face.\n\nVerify that your group faces are only "
           "assigned one material.\nOffending group: " +
           group + "\n\nContinue anyway?\n";
}

// Exactly one message box was shown, titled "Error", with this icon, these
// buttons and this text.
void ExpectOneMessage(const Transcript& seen, const char* icon, const char* buttons, const std::string& text) {
    ASSERT_EQ(seen.messageBoxes.size(), 1u);
    EXPECT_EQ(seen.messageBoxes[0].title, "Error");
    EXPECT_EQ(seen.messageBoxes[0].icon, icon);
    EXPECT_EQ(seen.messageBoxes[0].buttons, buttons);
    EXPECT_EQ(seen.messageBoxes[0].text, text);
}

const SeenDialog* FirstDialog(const Transcript& seen, const std::string& caption) {
    for (const SeenDialog& dialog : seen.dialogs) {
        if (dialog.caption == caption) {
            return &dialog;
        }
    }
    return nullptr;
}

const SeenDialog* LastDialog(const Transcript& seen, const std::string& caption) {
    const SeenDialog* last = nullptr;
    for (const SeenDialog& dialog : seen.dialogs) {
        if (dialog.caption == caption) {
            last = &dialog;
        }
    }
    return last;
}

class ExportRequest : public PluginExportTest {
protected:
    // The settings live as long as the library stays loaded, which may be
    // longer than one test: each test starts from the defaults.
    void SetUp() override {
        PluginExportTest::SetUp();
        RefScene* scene = RefSceneCreate();
        RefAddVertex(scene, 0, 0, 0);
        RefAddFace(scene, RefAddGroup(scene, "reset"), {0, 0, 0});
        StartDialogUser("type 1002 models/weapons2/; type 1000 256; type 1001 256; press 1");
        const int answer = SendRequest(&session_, kRequestExportOptions, scene);
        FinishDialogUser();
        RefSceneDestroy(scene);
        ASSERT_EQ(answer, 1);
        ClearHostCallLog();
    }

    // A triangle of three vertices in group "mesh", textured by `material`.
    void AddTriangleScene(int material = -1) {
        RefAddVertex(scene_, 0, 0, 0);
        RefAddVertex(scene_, 1, 0, 0);
        RefAddVertex(scene_, 0, 1, 0);
        RefAddTexCoord(scene_, 0, 0);
        RefAddFace(scene_, RefAddGroup(scene_, "mesh"), {0, 1, 2}, {0, 0, 0}, material);
    }

    // The dialog's edits and counts when it opened, and what OK stored.
    const SeenDialog& ExportDialogSeen() {
        seen_ = Seen();
        const SeenDialog* dialog = FirstDialog(seen_, "Export Quake 2 Model");
        EXPECT_NE(dialog, nullptr);
        return dialog != nullptr ? *dialog : empty_;
    }

    std::string SkinNameWith(const std::string& script, const std::string& name) {
        ExportRun run = Export(script, name);
        EXPECT_EQ(run.optionsAnswer, 1) << script;
        EXPECT_EQ(run.writeAnswer, 1) << script;
        WrittenMd2 written = Written(name);
        return written.skins.empty() ? std::string("(no skin)") : written.skins[0];
    }

    Transcript seen_;
    SeenDialog empty_;
};

}  // namespace

// --- Checks of the export-options request ---------------------------------------------

TEST_F(ExportRequest, MeshesWithoutFacesPassEveryCheckAndShowTheStaticDialog) {
    RefAddVertex(scene_, 1, 2, 3);
    RefAddGroup(scene_, "empty");
    ExportRun run = Export("press 1");
    EXPECT_EQ(run.optionsAnswer, 1);
    EXPECT_EQ(run.writeAnswer, 1);
    Transcript seen = Seen();
    EXPECT_TRUE(seen.messageBoxes.empty());
    ASSERT_EQ(seen.dialogs.size(), 1u);
    ExpectTemplate(seen.dialogs[0], ExportTemplate("models/weapons2/", "256", "256", "0", "1 (static)"));
    EXPECT_TRUE(seen.dialogs[0].Control(112)->items.empty());
    EXPECT_EQ(CountHostCalls("PreExportQuery"), 0);
    EXPECT_EQ(CountHostCalls("PreExportFallback"), 0);

    // No triangle: no texture coordinates, no triangles and no GL command word.
    WrittenMd2 written = Written();
    EXPECT_EQ(written.header[8], 0);
    EXPECT_EQ(written.NumGlcmds(), 0);
    EXPECT_EQ(written.OfsGlcmds(), written.OfsEnd());
    EXPECT_EQ(written.OfsEnd(), static_cast<std::int32_t>(written.bytes.size()));
    ASSERT_EQ(written.frames.size(), 1u);
    EXPECT_EQ(written.frames[0].name, "Frame0");
}

TEST_F(ExportRequest, EveryTriangleCornerCountsAgainstTheVertexLimit) {
    RefAddVertex(scene_, 0, 0, 0);
    RefAddVertex(scene_, 1, 0, 0);
    RefAddVertex(scene_, 0, 1, 0);
    const int group = RefAddGroup(scene_, "many");
    for (int i = 0; i < 10922; ++i) {
        RefAddFace(scene_, group, {0, 1, 2});
    }
    EXPECT_EQ(ExportOptionsRequest("press 1"), 1);
    EXPECT_TRUE(Seen().messageBoxes.empty());

    RefAddFace(scene_, group, {0, 1, 2});
    EXPECT_EQ(ExportOptionsRequest("press 1"), 2);
    Transcript seen = Seen();
    EXPECT_TRUE(seen.dialogs.empty());
    ExpectOneMessage(seen, "information", "ok", VerticesMessage(32769));
}

TEST_F(ExportRequest, HostVerticesAboveTheLimitAreRefused) {
    for (int i = 0; i < 32767; ++i) {
        RefAddVertex(scene_, static_cast<float>(i % 100), static_cast<float>(i / 100), 0);
    }
    RefAddFace(scene_, RefAddGroup(scene_, "wide"), {0, 1, 100});
    EXPECT_EQ(ExportOptionsRequest("press 1"), 1);
    EXPECT_TRUE(Seen().messageBoxes.empty());

    RefAddVertex(scene_, 0, 0, 1);
    EXPECT_EQ(ExportOptionsRequest("press 1"), 2);
    Transcript seen = Seen();
    EXPECT_TRUE(seen.dialogs.empty());
    ExpectOneMessage(seen, "information", "ok", VerticesMessage(32768));
}

TEST_F(ExportRequest, OneMaterialsMessageNamesTheLastOffendingGroup) {
    for (int i = 0; i < 3; ++i) {
        RefAddVertex(scene_, static_cast<float>(i), static_cast<float>(i * i), 0);
    }
    const int red = RefAddMaterial(scene_, "red", "");
    const int blue = RefAddMaterial(scene_, "blue", "");
    for (const char* name : {"first", "second", "fine"}) {
        const int group = RefAddGroup(scene_, name);
        RefAddFace(scene_, group, {0, 1, 2}, {}, red);
        RefAddFace(scene_, group, {0, 2, 1}, {}, std::string(name) == "fine" ? red : blue);
    }
    EXPECT_EQ(ExportOptionsRequest("answer 2"), 2);
    Transcript seen = Seen();
    EXPECT_TRUE(seen.dialogs.empty());
    ExpectOneMessage(seen, "error", "okcancel", MaterialsMessage("second"));
    EXPECT_EQ(seen.messageBoxes.at(0).answer, 2);

    // OK goes on to the dialog.
    EXPECT_EQ(ExportOptionsRequest("answer 1; press 1"), 1);
    seen = Seen();
    EXPECT_EQ(seen.messageBoxes.size(), 1u);
    EXPECT_EQ(seen.dialogs.size(), 1u);
}

TEST_F(ExportRequest, LongOffendingGroupNameIsCutToTheMessage) {
    for (int i = 0; i < 3; ++i) {
        RefAddVertex(scene_, static_cast<float>(i), 1, static_cast<float>(i * i));
    }
    const int red = RefAddMaterial(scene_, "red", "");
    const int blue = RefAddMaterial(scene_, "blue", "");
    const std::string name(259, 'g');
    const int group = RefAddGroup(scene_, name);
    RefAddFace(scene_, group, {0, 1, 2}, {}, red);
    RefAddFace(scene_, group, {0, 2, 1}, {}, blue);
    EXPECT_EQ(ExportOptionsRequest("answer 2"), 2);
    Transcript seen = Seen();
    ASSERT_EQ(seen.messageBoxes.size(), 1u);
    const std::string& text = seen.messageBoxes[0].text;
    const std::string full = MaterialsMessage(name);
    EXPECT_EQ(text.size(), 255u);
    EXPECT_EQ(text, full.substr(0, 255));
}

TEST_F(ExportRequest, MissingGeometryAndFailedTriangulationAreReported) {
    EXPECT_EQ(ExportOptionsRequest("press 1"), 2);
    Transcript seen = Seen();
    ExpectOneMessage(seen, "error", "ok", "No geometry to export.\t");
    EXPECT_TRUE(seen.dialogs.empty());

    RefAddVertex(scene_, 0, 0, 0);  // vertices without meshes
    EXPECT_EQ(ExportOptionsRequest("press 1"), 2);
    ExpectOneMessage(Seen(), "error", "ok", "No geometry to export.\t");

    RefAddGroup(scene_, "no vertices");  // meshes without vertices
    RefSetPresence(scene_, RefList::Vertices, RefPresence::Absent);
    EXPECT_EQ(ExportOptionsRequest("press 1"), 2);
    ExpectOneMessage(Seen(), "error", "ok", "No geometry to export.\t");

    RefSetPresence(scene_, RefList::Vertices, RefPresence::Auto);
    RefSetAnswer(scene_, RefAnswer::Triangulate, 0);
    EXPECT_EQ(ExportOptionsRequest("press 1"), 0);
    ExpectOneMessage(Seen(), "error", "ok", "Failed to triangulate geometry.\t");
    EXPECT_EQ(CountHostCalls("PostTriangulate"), 0);
}

TEST_F(ExportRequest, HostIsAskedBeforeExportOnlyWhenThereAreAnimations) {
    AddTriangleScene();
    EXPECT_EQ(ExportOptionsRequest("press 1"), 1);
    EXPECT_EQ(CountHostCalls("PreExportQuery"), 0);
    EXPECT_EQ(CountHostCalls("PreExportFallback"), 0);

    RefAddAnimation(scene_, "idle", 30, 0, 1);
    ClearHostCallLog();
    EXPECT_EQ(ExportOptionsRequest("press 1"), 1);
    EXPECT_EQ(CountHostCalls("PreExportQuery"), 1);
    EXPECT_EQ(CountHostCalls("PreExportFallback"), 0);

    RefSetAnswer(scene_, RefAnswer::PreExportQuery, 0);
    ClearHostCallLog();
    EXPECT_EQ(ExportOptionsRequest("press 1"), 1);
    EXPECT_EQ(CountHostCalls("PreExportQuery"), 1);
    EXPECT_EQ(CountHostCalls("PreExportFallback"), 1);
}

// --- The export dialog ------------------------------------------------------------------

TEST_F(ExportRequest, CancelEscapeAndCloseKeepTheSettings) {
    AddTriangleScene();
    for (const char* end : {"press 2", "escape", "close"}) {
        SCOPED_TRACE(end);
        ExportRun run = Export(std::string("type 1002 elsewhere/; type 1000 64; type 1001 32; ") + end);
        EXPECT_EQ(run.optionsAnswer, 2);
        EXPECT_EQ(run.writeAnswer, -1);
        EXPECT_EQ(ExportOptionsRequest("press 2"), 2);
        const SeenDialog& dialog = ExportDialogSeen();
        EXPECT_EQ(dialog.Control(1002)->text, "models/weapons2/");
        EXPECT_EQ(dialog.Control(1000)->text, "256");
        EXPECT_EQ(dialog.Control(1001)->text, "256");
    }
}

TEST_F(ExportRequest, SkinDirectoryIsStoredWithATrailingSlash) {
    AddTriangleScene(RefAddMaterial(scene_, "gun", "C:\\art\\skins\\gun.tga"));
    EXPECT_EQ(SkinNameWith("press 1", "default"), "models/weapons2/gun.tga");
    EXPECT_EQ(SkinNameWith("type 1002 models/players/male; press 1", "male"), "models/players/male/gun.tga");
    EXPECT_EQ(SkinNameWith("type 1002 models/players/; press 1", "players"), "models/players/gun.tga");
    EXPECT_EQ(SkinNameWith("type 1002 models\\; press 1", "backslash"), "models\\/gun.tga");
    EXPECT_EQ(SkinNameWith("type 1002 ; press 1", "empty"), "gun.tga");

    // The next dialog opens with what was stored.
    EXPECT_EQ(ExportOptionsRequest("press 2"), 2);
    EXPECT_EQ(ExportDialogSeen().Control(1002)->text, "");

    // 63 characters without a slash: the last gives way to the slash, and a
    // directory that long leaves room for no file name.
    const std::string typed(63, 'd');
    EXPECT_EQ(SkinNameWith("type 1002 " + typed + "; press 1", "long"), "gun.tga");
    EXPECT_EQ(ExportOptionsRequest("press 2"), 2);
    EXPECT_EQ(ExportDialogSeen().Control(1002)->text, std::string(62, 'd') + "/");
}

TEST_F(ExportRequest, SkinSizeComesFromTheEditsOrTheFirstLoadableImage) {
    AddTriangleScene();
    ExportRun run = Export("type 1000 128px; type 1001 -5; press 1", "px");
    ASSERT_EQ(run.writeAnswer, 1);
    WrittenMd2 written = Written("px");
    EXPECT_EQ(written.SkinWidth(), 128);
    EXPECT_EQ(written.SkinHeight(), 256);
    run = Export("type 1000 abc; type 1001 64; press 1", "abc");
    ASSERT_EQ(run.writeAnswer, 1);
    written = Written("abc");
    EXPECT_EQ(written.SkinWidth(), 256);
    EXPECT_EQ(written.SkinHeight(), 64);

    // An image that does not load is passed over; the first that loads
    // gives the size shown, and a zero-sized one changes nothing.
    std::string image(18, '\0');
    image[2] = 2;
    image[12] = 32;
    image[14] = 16;
    image[16] = 24;
    image += std::string(32 * 16 * 3, '\x7f');
    ASSERT_TRUE(WriteTestFile(directory_ + "skin.tga", image));
    RefAddMaterial(scene_, "missing", directory_ + "missing.tga");
    RefAddMaterial(scene_, "skin", directory_ + "skin.tga");
    EXPECT_EQ(ExportOptionsRequest("press 2"), 2);
    EXPECT_EQ(ExportDialogSeen().Control(1000)->text, "32");
    EXPECT_EQ(ExportDialogSeen().Control(1001)->text, "16");

    image[12] = 0;
    ASSERT_TRUE(WriteTestFile(directory_ + "skin.tga", image));
    EXPECT_EQ(ExportOptionsRequest("type 1000 100; type 1001 50; press 1"), 1);
    EXPECT_EQ(ExportOptionsRequest("press 2"), 2);
    EXPECT_EQ(ExportDialogSeen().Control(1000)->text, "100");
    EXPECT_EQ(ExportDialogSeen().Control(1001)->text, "50");
}

TEST_F(ExportRequest, AnimationsAreListedWithCutNamesAndFrameCounts) {
    AddTriangleScene();
    RefAddAnimation(scene_, "walkingcycle_left", 0, 0, 1);
    RefAddAnimation(scene_, "run", 10, 0, 0.25f);
    ExportRun run = Export("press 1");
    ASSERT_EQ(run.optionsAnswer, 1);
    const SeenDialog& dialog = ExportDialogSeen();
    ExpectTemplate(dialog, ExportTemplate("models/weapons2/", "256", "256", "2", "33"));
    const SeenControl* list = dialog.Control(112);
    ASSERT_EQ(list->items.size(), 2u);
    EXPECT_EQ(list->items[0], "walkingcycl (30 frames)");
    EXPECT_EQ(list->items[1], "run (3 frames)");
    EXPECT_EQ(list->current, 0);
    // The host's animation carries the short name from then on.
    EXPECT_EQ(std::string(Scene()->animations.items[0].name.narrow), "walkingcycl");
    EXPECT_EQ(std::u16string(Scene()->animations.items[0].name.wide), u"walkingcycl");

    ASSERT_EQ(run.writeAnswer, 1);
    WrittenMd2 written = Written();
    ASSERT_EQ(written.NumFrames(), 33);
    ASSERT_EQ(written.frames.size(), 33u);
    EXPECT_EQ(written.frames[0].name, "walkingcycl0");
    EXPECT_EQ(written.frames[29].name, "walkingcycl29");
    EXPECT_EQ(written.frames[30].name, "run0");
    EXPECT_EQ(written.frames[31].name, "run1");
    EXPECT_EQ(written.frames[32].name, "run2");
}

TEST_F(ExportRequest, RenameAcceptsOneToElevenCharacters) {
    AddTriangleScene();
    RefAddAnimation(scene_, "alpha", 30, 0, 1);
    RefAddAnimation(scene_, "beta", 30, 0, 0.5f);
    EXPECT_EQ(ExportOptionsRequest("select 112 1; press 3; type 1006 twelve_chars; press 1; type 1006 ; press 1; "
                                   "type 1006 elevenchars; press 1; press 2"),
              2);
    Transcript seen = Seen();
    const SeenDialog* rename = FirstDialog(seen, "Rename Animation");
    ASSERT_NE(rename, nullptr);
    EXPECT_EQ(rename->when, "opens");
    ExpectTemplate(*rename, RenameTemplate("beta"));
    ASSERT_EQ(seen.messageBoxes.size(), 2u);
    for (const SeenMessageBox& box : seen.messageBoxes) {
        EXPECT_EQ(box.title, "Error");
        EXPECT_EQ(box.text, "Names are limited to 11 characters. Try again.");
        EXPECT_EQ(box.icon, "error");
        EXPECT_EQ(box.buttons, "ok");
    }
    EXPECT_EQ(std::string(Scene()->animations.items[1].name.narrow), "elevenchars");
    EXPECT_EQ(std::u16string(Scene()->animations.items[1].name.wide), u"elevenchars");
    // The list shows the new name once the rename dialog is gone.
    const SeenDialog* after = LastDialog(seen, "Export Quake 2 Model");
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->when, "shows");
    EXPECT_EQ(after->Control(112)->items.at(1), "elevenchars (15 frames)");

    // Cancel keeps the name; the rename dialog names the selected animation.
    EXPECT_EQ(ExportOptionsRequest("select 112 0; press 3; type 1006 renamed; press 2; press 2"), 2);
    seen = Seen();
    ASSERT_NE(FirstDialog(seen, "Rename Animation"), nullptr);
    EXPECT_EQ(FirstDialog(seen, "Rename Animation")->Control(1006)->text, "alpha");
    EXPECT_TRUE(seen.messageBoxes.empty());
    EXPECT_EQ(std::string(Scene()->animations.items[0].name.narrow), "alpha");
}

// A scene without an animation list and one whose list is present but
// empty are the same to the user: one static frame, the same message on
// Rename, one rest frame named Frame0 in the file.
TEST_F(ExportRequest, RenameWithoutAnimationsSaysSoAndStaysOpen) {
    for (RefPresence presence : {RefPresence::Auto, RefPresence::Present}) {
        RefSceneDestroy(scene_);
        scene_ = RefSceneCreate();
        AddTriangleScene();
        RefSetPresence(scene_, RefList::Animations, presence);
        ASSERT_EQ(Scene()->animations.items != nullptr, presence == RefPresence::Present);
        ClearHostCallLog();
        ExportRun run = Export("press 3; press 1");
        EXPECT_EQ(run.optionsAnswer, 1);
        EXPECT_EQ(run.writeAnswer, 1);
        Transcript seen = Seen();
        ExpectOneMessage(seen, "information", "ok", "No animations found.");
        EXPECT_EQ(FirstDialog(seen, "Rename Animation"), nullptr);
        ASSERT_NE(FirstDialog(seen, "Export Quake 2 Model"), nullptr);
        EXPECT_EQ(FirstDialog(seen, "Export Quake 2 Model")->Control(110)->text, "1 (static)");
        EXPECT_EQ(CountHostCalls("PreExportQuery"), 0);
        WrittenMd2 written = Written();
        ASSERT_EQ(written.frames.size(), 1u);
        EXPECT_EQ(written.frames[0].name, "Frame0");
    }
}

#ifdef _WIN32

TEST_F(ExportRequest, DialogThatCannotBeCreatedAnswersCancelled) {
    AddTriangleScene();
    // The test program's own module holds no template 102.
    StartDialogUser("press 1");
    EXPECT_EQ(RegisteredCallback(&session_)(kRequestExportOptions, Scene(), GetModuleHandleW(nullptr), 0), 2);
    EXPECT_TRUE(ParseTranscript(FinishDialogUser()).dialogs.empty());
}

// Every control's style bits from the templates: each must be set on the window
// the user sees.
TEST_F(ExportRequest, RealDialogsCarryTheTemplatesStyles) {
    constexpr unsigned kShown = WS_CHILD | WS_VISIBLE;
    constexpr unsigned kPush = kShown | WS_TABSTOP;
    constexpr unsigned kBox = kShown | BS_GROUPBOX;
    constexpr unsigned kLeft = kShown | WS_GROUP | SS_LEFT;
    constexpr unsigned kRight = kShown | WS_GROUP | SS_RIGHT;
    constexpr unsigned kEdit = kShown | WS_TABSTOP | ES_LEFT;
    constexpr unsigned kScrolled = kEdit | ES_AUTOHSCROLL;
    // The system takes the scroll bar off a list that does not need it.
    constexpr unsigned kList = kShown | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    constexpr unsigned kDialog = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const struct {
        const char* caption;
        std::vector<unsigned> controls;
    } dialogs[] = {
        {"Export Quake 2 Model", {kPush, kPush, kBox, kLeft, kScrolled, kLeft, kLeft, kLeft, kLeft, kBox, kRight,
                                  kRight, kEdit, kEdit, kList, kLeft, kLeft, kLeft, kLeft, kPush}},
        {"Rename Animation", {kPush, kPush, kScrolled, kBox}},
    };
    AddTriangleScene();
    RefAddAnimation(scene_, "walk", 4, 0, 1);
    EXPECT_EQ(ExportOptionsRequest("select 112 0; press 3; press 2; press 2"), 2);
    const Transcript seen = Seen();
    for (const auto& want : dialogs) {
        SCOPED_TRACE(want.caption);
        const SeenDialog* dialog = FirstDialog(seen, want.caption);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->style & kDialog, kDialog) << std::hex << dialog->style;
        ASSERT_EQ(dialog->controls.size(), want.controls.size());
        for (std::size_t i = 0; i < want.controls.size(); ++i) {
            const unsigned style = dialog->controls[i].style;
            EXPECT_EQ(style & want.controls[i], want.controls[i])
                << "control " << i << " (id " << dialog->controls[i].id << "): " << std::hex << style;
        }
    }
}

#endif

// --- The write request ---------------------------------------------------------------------

TEST_F(ExportRequest, CornersAndTexelsAreWrittenInTheFilesOrder) {
    for (int i = 0; i < 6; ++i) {
        RefAddVertex(scene_, static_cast<float>(i), static_cast<float>(i % 2), static_cast<float>(i % 3));
    }
    const int u05 = RefAddTexCoord(scene_, 0.5f, 0.25f);
    const int u09 = RefAddTexCoord(scene_, 0.9999f, 1.0f);
    const int uneg = RefAddTexCoord(scene_, -0.3f, -0.3f);
    const int material = RefAddMaterial(scene_, "gun", "C:\\art\\skins\\gun.tga");
    const int group = RefAddGroup(scene_, "pair");
    RefAddFace(scene_, group, {0, 1, 2}, {u05, u09, uneg}, material);
    RefAddFace(scene_, group, {3, 4, 5}, {uneg, u05, u09}, material);
    ExportRun run = Export("type 1000 256; type 1001 256; press 1");
    ASSERT_EQ(run.writeAnswer, 1);
    WrittenMd2 written = Written();
    ASSERT_EQ(written.skins.size(), 1u);
    EXPECT_EQ(written.skins[0], "models/weapons2/gun.tga");
    ASSERT_EQ(written.texCoords.size(), 6u);
    const std::array<std::int16_t, 2> expected[6] = {{128, 64}, {255, 256}, {-76, -76},
                                                     {-76, -76}, {128, 64}, {255, 256}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(written.texCoords[static_cast<std::size_t>(i)], expected[i]) << "corner " << i;
    }
    ASSERT_EQ(written.triangles.size(), 2u);
    EXPECT_EQ(written.triangles[0], (std::array<std::int16_t, 6>{2, 1, 0, 2, 1, 0}));
    EXPECT_EQ(written.triangles[1], (std::array<std::int16_t, 6>{5, 4, 3, 5, 4, 3}));
    ASSERT_EQ(written.glCommands.size(), 1u);
    EXPECT_EQ(written.glCommands[0], 0);
    EXPECT_EQ(written.OfsEnd(), written.OfsGlcmds() + 4);
    EXPECT_EQ(written.OfsEnd(), static_cast<std::int32_t>(written.bytes.size()));
}

TEST_F(ExportRequest, UnwritableTargetLeavesTheSceneInHostAxes) {
    AddTriangleScene();
    RefAddVertex(scene_, 1, 2, 3);
    ASSERT_EQ(ExportOptionsRequest("press 1"), 1);
    for (const std::string& path : {directory_, directory_ + "missing/out.md2"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(WriteRequest(path), 0);
        EXPECT_EQ(RefErrorText(scene_), "Could not open file for writing.");
        EXPECT_EQ(std::string(Scene()->errorText.narrow), "Could not open file for writing.");
        const float* p = Scene()->vertices.items[3].position;
        EXPECT_EQ(p[0], 1);
        EXPECT_EQ(p[1], 2);
        EXPECT_EQ(p[2], 3);
    }
    EXPECT_TRUE(FolderEntries(directory_).empty());

    // A written scene stays in the model's axes: (x, y, z) -> (x, -z, y).
    EXPECT_EQ(WriteRequest(OutPath("out")), 1);
    const float* p = Scene()->vertices.items[3].position;
    EXPECT_EQ(p[0], 1);
    EXPECT_EQ(p[1], -3);
    EXPECT_EQ(p[2], 2);
    EXPECT_EQ(FolderEntries(directory_), std::vector<std::string>{"out.md2"});
}

TEST_F(ExportRequest, FailedWriteKeepsTheExistingFileAndLeavesNoTemporary) {
    RefAddVertex(scene_, 0, 0, 0);
    RefAddVertex(scene_, 1, 0, 0);
    RefAddVertex(scene_, 0, 1, 0);
    RefAddFace(scene_, RefAddGroup(scene_, "broken"), {0, 1, 7});  // names a vertex that is not there
    ASSERT_TRUE(WriteTestFile(OutPath("keep"), "the user's own file"));
    EXPECT_EQ(WriteRequest(OutPath("keep")), 0);
    EXPECT_EQ(ReadFileBytes(OutPath("keep")), "the user's own file");
    EXPECT_EQ(FolderEntries(directory_), std::vector<std::string>{"keep.md2"});

    // A good export replaces the file whole.
    Scene()->meshes.items[0].faces[0].vertexIndices[2] = 2;
    EXPECT_EQ(WriteRequest(OutPath("keep")), 1);
    WrittenMd2 written = Written("keep");
    EXPECT_EQ(written.OfsEnd(), static_cast<std::int32_t>(written.bytes.size()));
    EXPECT_EQ(FolderEntries(directory_), std::vector<std::string>{"keep.md2"});
}

TEST_F(ExportRequest, ReadOnlyTargetIsNotReplaced) {
    AddTriangleScene();
    const std::string path = OutPath("protected");
    ASSERT_TRUE(WriteTestFile(path, "read-only"));
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    // Windows honours the read-only attribute; on Linux the superuser may write anyway.
    std::FILE* probe = TestOnWindows() ? nullptr : std::fopen(path.c_str(), "r+b");
    if (probe != nullptr) {
        std::fclose(probe);
        std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
        GTEST_SKIP() << "this user may write read-only files";
    }
    EXPECT_EQ(WriteRequest(path), 0);
    EXPECT_EQ(RefErrorText(scene_), "Could not open file for writing.");
    EXPECT_EQ(ReadFileBytes(path), "read-only");
    EXPECT_EQ(FolderEntries(directory_), std::vector<std::string>{"protected.md2"});
    std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
}

TEST_F(ExportRequest, FullDeviceAnswersFailureAndLeavesNoTemporary) {
    if (TestOnWindows()) {
        GTEST_SKIP() << "/dev/full is a Linux device";
    }
    AddTriangleScene();
    EXPECT_EQ(WriteRequest("/dev/full"), 0);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
    for (const std::string& name : FolderEntries("/dev")) {
        EXPECT_EQ(name.find("corvane"), std::string::npos) << name;
    }
}

// --- Issue-9 mends: normals of scenes without bones ------------------------------------------

TEST_F(ExportRequest, BonelessNormalsAreWrittenInTheModelsAxes) {
    const float quad[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 0, -1}, {0, 0, -1}};
    for (const auto& p : quad) {
        RefSetVertexNormal(scene_, RefAddVertex(scene_, p[0], p[1], p[2]), 0, 1, 0);
    }
    RefAddFace(scene_, RefAddGroup(scene_, "floor"), {0, 1, 2, 3});
    RefAddAnimation(scene_, "still", 8, 0, 0.375f);
    ASSERT_EQ(Export("press 1").writeAnswer, 1);
    WrittenMd2 written = Written();
    ASSERT_EQ(written.frames.size(), 3u);
    const int up = NearestTableNormal(0, 0, 1);
    for (const auto& frame : written.frames) {
        for (const auto& vertex : frame.vertices) {
            EXPECT_EQ(vertex[3], up) << frame.name;
        }
    }
}

TEST_F(ExportRequest, BonedNormalsComeFromThePosedMeshNotTheHost) {
    // The same rig twice, with different host normals: identical files.
    RefScene* other = BuildArmRig();
    RefSceneDestroy(scene_);
    scene_ = BuildArmRig();
    for (int v = 0; v < 4; ++v) {
        RefSetVertexNormal(other, v, 1, 0, 0);
    }
    ASSERT_EQ(Export("press 1", "first").writeAnswer, 1);
    RefScene* mine = scene_;
    scene_ = other;
    ExportRun run = Export("press 1", "second");
    scene_ = mine;
    RefSceneDestroy(other);
    ASSERT_EQ(run.writeAnswer, 1);
    EXPECT_EQ(ReadFileBytes(OutPath("first")), ReadFileBytes(OutPath("second")));
    // The arm lies in the host's z = 0 plane facing +z, the model's -y.
    WrittenMd2 written = Written("first");
    EXPECT_EQ(written.frames.at(0).vertices.at(0)[3], NearestTableNormal(0, -1, 0));
}

// --- Round trips ------------------------------------------------------------------------------

TEST_F(ExportRequest, DemoSceneFramesDecodeToThePosesWithinOneStep) {
    RefSceneDestroy(scene_);
    scene_ = BuildDemoScene(directory_);
    ASSERT_NE(scene_, nullptr);
    ExportRun run = Export("press 1");
    ASSERT_EQ(run.optionsAnswer, 1);
    ASSERT_EQ(run.writeAnswer, 1);
    const SeenDialog& dialog = ExportDialogSeen();
    ExpectTemplate(dialog, ExportTemplate("models/weapons2/", "128", "64", "2", "27"));
    EXPECT_EQ(dialog.Control(112)->items,
              (std::vector<std::string>{"sway (12 frames)", "twisting_ar (15 frames)"}));
    WrittenMd2 written = Written();
    EXPECT_EQ(written.SkinWidth(), 128);
    EXPECT_EQ(written.SkinHeight(), 64);
    EXPECT_EQ(written.skins, std::vector<std::string>{"models/weapons2/demo_skin.tga"});
    ASSERT_EQ(written.NumFrames(), 27);
    ASSERT_EQ(written.frames.size(), 27u);
    ASSERT_EQ(written.NumXyz(), 20);

    // The same scene posed here, frame by frame, in the model's axes.
    RefScene* reference = BuildDemoScene(TestTempDir("ExportRequest-demo-reference"));
    ASSERT_NE(reference, nullptr);
    HostScene* host = RefSceneHost(reference);
    ConvertSceneAxes(host, kToModelAxes);
    PoseState pose_{};
    ASSERT_TRUE(StartPose(&pose_, host));
    int f = 0;
    float largestMiss = 0;
    for (int a = 0; a < host->animations.count; ++a) {
        HostAnimation* animation = &host->animations.items[a];
        const float step = AnimationSampleStep(animation);
        const std::string stem = a == 0 ? "sway" : "twisting_ar";
        for (int i = 0; i < AnimationFrameCount(animation); ++i, ++f) {
            EvaluatePose(&pose_, host, animation, AnimationSampleTime(step, i));
            EXPECT_EQ(written.frames[static_cast<std::size_t>(f)].name, stem + std::to_string(i));
            for (int v = 0; v < pose_.posedVertices.count; ++v) {
                const Vector3& posed = pose_.posedVertices.items[v].position;
                const float want[3] = {posed.x, posed.y, posed.z};
                const std::array<float, 3> got = written.Decoded(f, v);
                for (int k = 0; k < 3; ++k) {
                    // Truncation: the decoded value lies at most one step below the pose.
                    const float miss = want[k] - got[static_cast<std::size_t>(k)];
                    const float step = written.frames[static_cast<std::size_t>(f)].scale[k];
                    EXPECT_GE(miss, -1e-5f) << "frame " << f << " vertex " << v << " axis " << k;
                    EXPECT_LE(miss, step + 1e-5f) << "frame " << f << " vertex " << v << " axis " << k;
                    largestMiss = std::max(largestMiss, miss / step);
                }
            }
        }
    }
    EXPECT_EQ(f, 27);
    EXPECT_GT(largestMiss, 0.5f);  // the poses are not trivially on the grid
    ReleasePose(&pose_);
    RefSceneDestroy(reference);
}

TEST_F(ExportRequest, PublishedModelsSurviveImportAndExport) {
    if (TestOnWindows()) {
        GTEST_SKIP() << "the published models are read from the Linux file system";
    }
    for (const char* model : {"faerie", "sydney"}) {
        SCOPED_TRACE(model);
        const std::string source = std::string("/usr/share/assimp/models/MD2/") + model + ".md2";
        WrittenMd2 original;
        std::string why;
        ASSERT_TRUE(ReadWrittenMd2(source, &original, &why)) << why;
        RefSceneDestroy(scene_);
        scene_ = RefSceneCreate();
        ASSERT_EQ(Import(source, "press 1").optionsAnswer, 1);
        ExportRun run = Export("press 1", model);
        ASSERT_EQ(run.writeAnswer, 1);
        WrittenMd2 written = Written(model);
        EXPECT_EQ(written.OfsEnd(), static_cast<std::int32_t>(written.bytes.size()));
        ASSERT_EQ(written.NumXyz(), original.NumXyz());
        ASSERT_EQ(written.triangles.size(), original.triangles.size());
        ASSERT_EQ(written.frames.size(), 1u);

        // Positions within one step of the original frame's extent per axis.
        float low[3] = {1e30f, 1e30f, 1e30f};
        float high[3] = {-1e30f, -1e30f, -1e30f};
        for (int v = 0; v < original.NumXyz(); ++v) {
            const std::array<float, 3> p = original.Decoded(0, v);
            for (int k = 0; k < 3; ++k) {
                low[k] = std::min(low[k], p[static_cast<std::size_t>(k)]);
                high[k] = std::max(high[k], p[static_cast<std::size_t>(k)]);
            }
        }
        for (int v = 0; v < original.NumXyz(); ++v) {
            const std::array<float, 3> want = original.Decoded(0, v);
            const std::array<float, 3> got = written.Decoded(0, v);
            for (int k = 0; k < 3; ++k) {
                const float tolerance = (high[k] - low[k]) / 255 * 1.001f;
                ASSERT_NEAR(got[static_cast<std::size_t>(k)], want[static_cast<std::size_t>(k)], tolerance)
                    << "vertex " << v << " axis " << k;
            }
        }
        // The same triangles, with texture coordinates within one texel.
        for (std::size_t t = 0; t < original.triangles.size(); ++t) {
            for (std::size_t c = 0; c < 3; ++c) {
                ASSERT_EQ(written.triangles[t][c], original.triangles[t][c]) << "triangle " << t;
                const auto& was = original.texCoords.at(static_cast<std::size_t>(original.triangles[t][3 + c]));
                const auto& now = written.texCoords.at(static_cast<std::size_t>(written.triangles[t][3 + c]));
                for (int k = 0; k < 2; ++k) {
                    const float size = static_cast<float>(k == 0 ? written.SkinWidth() : written.SkinHeight());
                    const float before = static_cast<float>(was[static_cast<std::size_t>(k)]) /
                                         static_cast<float>(k == 0 ? original.SkinWidth() : original.SkinHeight());
                    const float after = static_cast<float>(now[static_cast<std::size_t>(k)]) / size;
                    ASSERT_NEAR(after, before, 1 / size) << "triangle " << t << " corner " << c;
                }
            }
        }
        // An independent reader takes the file too.
        const std::string obj = directory_ + model + ".obj";
        const std::string command = "assimp export '" + OutPath(model) + "' '" + obj + "' > /dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        std::ifstream in(obj);
        std::string line;
        std::size_t faces = 0;
        while (std::getline(in, line)) {
            faces += line.rfind("f ", 0) == 0 ? 1 : 0;
        }
        EXPECT_EQ(faces, original.triangles.size());
    }
}

TEST_F(ExportRequest, ScreenshotsOfBothDialogsAndAMessageBox) {
    if (!TestOnWindows()) {
        GTEST_SKIP() << "screenshots are taken of the real dialogs under Wine";
    }
    AddTriangleScene();
    RefAddAnimation(scene_, "walkingcycle_left", 0, 0, 1);
    RefAddAnimation(scene_, "run", 10, 0, 0.25f);
    EXPECT_EQ(ExportOptionsRequest("select 112 1; press 3; type 1006 far_too_long; press 1; press 2; press 2",
                                   TestArtifactsDir()),
              2);
    const Transcript seen = Seen();
    ASSERT_NE(FirstDialog(seen, "Export Quake 2 Model"), nullptr);
    ASSERT_NE(FirstDialog(seen, "Rename Animation"), nullptr);
    ExpectDialogScreenshot(TestArtifactsDir() + "1-Export-Quake-2-Model.bmp", *FirstDialog(seen, "Export Quake 2 Model"),
                           232, 275);
    ExpectDialogScreenshot(TestArtifactsDir() + "2-Rename-Animation.bmp", *FirstDialog(seen, "Rename Animation"), 187, 50);
    // A message box has no template: a whole bitmap of a plausible size.
    int width = 0;
    int height = 0;
    ASSERT_TRUE(ReadBitmapSize(TestArtifactsDir() + "3-Error.bmp", &width, &height));
    EXPECT_GT(width, 100);
    EXPECT_GT(height, 60);
    EXPECT_LT(width, 1000);
    EXPECT_LT(height, 400);
}
