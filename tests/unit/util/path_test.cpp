// Directory and file name of a path, as the C runtime splits it.
#include <gtest/gtest.h>

#include <string>

#include "util/path.h"

namespace {

std::u16string Directory(const std::u16string& path) {
    char16_t out[260];
    EXPECT_EQ(DirectoryOfPath(path.c_str(), out), 1);
    return out;
}

std::u16string FileName(const std::u16string& path) {
    char16_t out[260];
    EXPECT_EQ(FileNameOfPath(path.c_str(), out), 1);
    return out;
}

}  // namespace

TEST(DirectoryOfPath, KeepsDriveAndDirectoryAndAddsABackslashOnlyWhenNeeded) {
    EXPECT_EQ(Directory(u"C:\\art\\ship.md2"), u"C:\\art\\");
    EXPECT_EQ(Directory(u"models/players/male/tris.md2"), u"models/players/male/");
    EXPECT_EQ(Directory(u"ship.md2"), u"");
    EXPECT_EQ(Directory(u"C:ship.md2"), u"C:\\");
    EXPECT_EQ(Directory(u"D:/mixed\\seps/x.md2"), u"D:/mixed\\seps/");
    EXPECT_EQ(Directory(u"dir.v2\\file"), u"dir.v2\\");
}

TEST(DirectoryOfPath, NullPointersAnswerZero) {
    char16_t out[260];
    EXPECT_EQ(DirectoryOfPath(nullptr, out), 0);
    EXPECT_EQ(DirectoryOfPath(u"a\\b", nullptr), 0);
}

TEST(DirectoryOfPath, VeryLongDirectoryStaysInsideTheOutput) {
    std::u16string path = u"C:" + std::u16string(300, u'd') + u"\\f.md2";
    char16_t out[261];
    out[260] = 0x4242;
    ASSERT_EQ(DirectoryOfPath(path.c_str(), out), 1);
    EXPECT_EQ(out[260], 0x4242);
    EXPECT_LT(std::u16string(out).size(), 260u);
    EXPECT_EQ(std::u16string(out).substr(0, 3), u"C:d");
}

TEST(FileNameOfPath, DropsDriveAndDirectories) {
    EXPECT_EQ(FileName(u"C:\\art\\ship.md2"), u"ship.md2");
    EXPECT_EQ(FileName(u"models/players/male/skin.pcx"), u"skin.pcx");
    EXPECT_EQ(FileName(u"C:skin"), u"skin");
    EXPECT_EQ(FileName(u"archive.tar.gz"), u"archive.tar.gz");
    EXPECT_EQ(FileName(u"C:\\art\\"), u"");
    EXPECT_EQ(FileName(u"models/"), u"");
}

TEST(FileNameOfPath, OutputMayBeThePathItself) {
    char16_t buffer[260] = u"C:\\textures\\base\\gun.tga";
    ASSERT_EQ(FileNameOfPath(buffer, buffer), 1);
    EXPECT_EQ(std::u16string(buffer), u"gun.tga");
}

TEST(FileNameOfPath, NameAndExtensionAreEachCutTo255AndTheResultFits) {
    std::u16string name(300, u'n');
    std::u16string ext = u"." + std::u16string(300, u'e');
    char16_t out[261];
    out[260] = 0x4242;
    ASSERT_EQ(FileNameOfPath((u"dir\\" + name + ext).c_str(), out), 1);
    EXPECT_EQ(out[260], 0x4242);
    std::u16string result(out);
    ASSERT_EQ(result.size(), 259u);
    EXPECT_EQ(result, std::u16string(255, u'n') + u"." + std::u16string(3, u'e'));
}

TEST(FileNameOfPathNarrow, SplitsLikeTheWideForm) {
    char out[260];
    ASSERT_EQ(FileNameOfPathNarrow("C:\\q2\\baseq2\\models\\gun.pcx", out), 1);
    EXPECT_STREQ(out, "gun.pcx");
    ASSERT_EQ(FileNameOfPathNarrow("models/weapons2/", out), 1);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(FileNameOfPathNarrow(nullptr, out), 0);
}
