// The export dialog's steps that need no window: reading the edits' texts,
// the skin size from the first loadable image and the cut of long
// animation names.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "export/export_dialog.h"
#include "export/export_settings.h"
#include "host/ref_scene.h"
#include "support/test_env.h"

namespace {

std::u16string Directory(const std::u16string& typed) {
    char16_t out[kLocalSkinDirectoryUnits + 8];
    for (char16_t& c : out) {
        c = u'#';  // anything written past the settings' field shows
    }
    SkinDirectoryFromText(typed.c_str(), out);
    for (int i = kLocalSkinDirectoryUnits; i < kLocalSkinDirectoryUnits + 8; ++i) {
        EXPECT_EQ(out[i], u'#') << "written past the field at " << i;
    }
    return std::u16string(out);
}

// An uncompressed TGA header of the given size (the host reads only that).
std::string TgaOfSize(int width, int height) {
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = static_cast<char>(width & 0xFF);
    bytes[13] = static_cast<char>(width >> 8);
    bytes[14] = static_cast<char>(height & 0xFF);
    bytes[15] = static_cast<char>(height >> 8);
    bytes[16] = 24;
    return bytes;
}

class ExportDialogSteps : public ::testing::Test {
protected:
    void SetUp() override {
        settings_ = DefaultExportSettings();
        scene_ = RefSceneCreate();
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        directory_ = TestTempDir(std::string("ExportDialogSteps-") + info->name());
    }
    void TearDown() override {
        RefSceneDestroy(scene_);
        settings_ = DefaultExportSettings();
    }
    HostScene* Host() { return RefSceneHost(scene_); }

    RefScene* scene_ = nullptr;
    ExportSettings settings_ = DefaultExportSettings();
    std::string directory_;
};

}  // namespace

TEST(ExportSkinSizeText, LeadingIntegerOrTheDefault) {
    EXPECT_EQ(SkinSizeFromText(u"128px"), 128);
    EXPECT_EQ(SkinSizeFromText(u"  +64"), 64);
    EXPECT_EQ(SkinSizeFromText(u"\t512 x"), 512);
    EXPECT_EQ(SkinSizeFromText(u"-5"), 256);
    EXPECT_EQ(SkinSizeFromText(u"abc"), 256);
    EXPECT_EQ(SkinSizeFromText(u""), 256);
    EXPECT_EQ(SkinSizeFromText(u"0"), 256);
    EXPECT_EQ(SkinSizeFromText(u"- 7"), 256);
    EXPECT_EQ(SkinSizeFromText(nullptr), 256);
    // Saturated like a 32-bit long, never wrapped to a small or negative size.
    EXPECT_EQ(SkinSizeFromText(u"2147483647"), INT32_MAX);
    EXPECT_EQ(SkinSizeFromText(u"99999999999999999999"), INT32_MAX);
    EXPECT_EQ(SkinSizeFromText(u"-99999999999999999999"), 256);
}

TEST(ExportSkinDirectoryText, SlashAppendedOnlyWhereMissing) {
    EXPECT_EQ(Directory(u"models/players/male"), u"models/players/male/");
    EXPECT_EQ(Directory(u"models/players/"), u"models/players/");
    EXPECT_EQ(Directory(u"models\\players\\"), u"models\\players\\/");
    EXPECT_EQ(Directory(u""), u"");
}

TEST(ExportSkinDirectoryText, LongTextsKeepRoomForTheSlashAndWholeCharacters) {
    // 63 characters with their slash fit as they are.
    EXPECT_EQ(Directory(std::u16string(62, u'a') + u"/"), std::u16string(62, u'a') + u"/");
    // 63 without: the last character gives way to the slash.
    EXPECT_EQ(Directory(std::u16string(63, u'a')), std::u16string(62, u'a') + u"/");
    // Longer texts are cut to 63 first.
    EXPECT_EQ(Directory(std::u16string(62, u'a') + u"/tail"), std::u16string(62, u'a') + u"/");
    EXPECT_EQ(Directory(std::u16string(80, u'b')), std::u16string(62, u'b') + u"/");
    // A surrogate pair is never split by the cut.
    const std::u16string pair = u"\U0001F600";
    EXPECT_EQ(Directory(std::u16string(61, u'c') + pair), std::u16string(61, u'c') + u"/");
    EXPECT_EQ(Directory(std::u16string(60, u'c') + pair + u"x"), std::u16string(60, u'c') + pair + u"/");
}

TEST_F(ExportDialogSteps, LongAnimationNamesAreCutInBothHalves) {
    RefAddAnimation(scene_, "walkingcycle_left", 0, 0, 1);
    RefAddAnimation(scene_, "elevenchars", 0, 0, 1);
    RefAddAnimation(scene_, "run", 0, 0, 1);
    ShortenAnimationNames(Host(), maxAnimationNameLength);
    const HostAnimation* animations = Host()->animations.items;
    EXPECT_STREQ(animations[0].name.narrow, "walkingcycl");
    EXPECT_EQ(std::u16string(animations[0].name.wide), u"walkingcycl");
    EXPECT_STREQ(animations[1].name.narrow, "elevenchars");
    EXPECT_STREQ(animations[2].name.narrow, "run");
    EXPECT_EQ(std::u16string(animations[2].name.wide), u"run");
}

TEST_F(ExportDialogSteps, NameCutNeverSplitsAMultibyteCharacter) {
    if (TestOnWindows()) {
        GTEST_SKIP() << "the test program's C runtime has no multibyte locale on Windows";
    }
    // Ten ASCII letters and a two-byte character: eleven bytes hold only the letters.
    RefAddAnimation(scene_, "abcdefghij\xc3\xa9xyz", 0, 0, 1);
    ShortenAnimationNames(Host(), maxAnimationNameLength);
    EXPECT_STREQ(Host()->animations.items[0].name.narrow, "abcdefghij");
    EXPECT_EQ(std::u16string(Host()->animations.items[0].name.wide), u"abcdefghij");
}

TEST_F(ExportDialogSteps, NamesWithoutAnAnimationListAreLeftAlone) {
    RefAddAnimation(scene_, "walkingcycle_left", 0, 0, 1);
    RefSetPresence(scene_, RefList::Animations, RefPresence::Absent);
    ShortenAnimationNames(Host(), maxAnimationNameLength);
    RefSetPresence(scene_, RefList::Animations, RefPresence::Auto);
    EXPECT_STREQ(Host()->animations.items[0].name.narrow, "walkingcycle_left");
}

TEST_F(ExportDialogSteps, SkinSizeFromTheFirstImageThatLoads) {
    ASSERT_TRUE(WriteTestFile(directory_ + "wide.tga", TgaOfSize(512, 128)));
    ASSERT_TRUE(WriteTestFile(directory_ + "small.tga", TgaOfSize(32, 32)));
    RefAddMaterial(scene_, "plain", "");
    RefAddMaterial(scene_, "not an image layer", directory_ + "small.tga", 2);
    RefAddMaterial(scene_, "missing", directory_ + "missing.tga");
    RefAddMaterial(scene_, "wide", directory_ + "wide.tga");
    RefAddMaterial(scene_, "small", directory_ + "small.tga");
    TakeSkinSizeFromImage(Host(), &settings_);
    EXPECT_EQ(settings_.skinWidth, 512);
    EXPECT_EQ(settings_.skinHeight, 128);
}

TEST_F(ExportDialogSteps, ImageWithAZeroSideKeepsTheSize) {
    ASSERT_TRUE(WriteTestFile(directory_ + "flat.tga", TgaOfSize(0, 64)));
    ASSERT_TRUE(WriteTestFile(directory_ + "later.tga", TgaOfSize(16, 16)));
    RefAddMaterial(scene_, "flat", directory_ + "flat.tga");
    RefAddMaterial(scene_, "later", directory_ + "later.tga");
    settings_.skinWidth = 100;
    settings_.skinHeight = 50;
    TakeSkinSizeFromImage(Host(), &settings_);
    // The walk stops at the first image that loads, whatever its size.
    EXPECT_EQ(settings_.skinWidth, 100);
    EXPECT_EQ(settings_.skinHeight, 50);
}
