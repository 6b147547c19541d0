// Writing an export beside its target: the target changes only when the
// whole file was written, and no temporary file stays behind.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "export/export_target.h"
#include "support/test_env.h"
#include "unit/export/export_test_support.h"

namespace {

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

bool Put(ExportTarget* target, const char* text) {
    return std::fwrite(text, 1, std::strlen(text), target->file) == std::strlen(text);
}

class ExportTargetFile : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        directory_ = TestTempDir(std::string("ExportTargetFile-") + info->name());
    }
    std::string directory_;
};

}  // namespace

TEST_F(ExportTargetFile, CompleteWriteCreatesTheTarget) {
    ExportTarget target;
    ASSERT_TRUE(OpenExportTarget(Wide(directory_ + "new.md2").c_str(), &target));
    EXPECT_NE(target.temporary[0], 0);
    // Until it is finished only the temporary file exists, in the target's folder.
    ASSERT_EQ(FolderEntries(directory_).size(), 1u);
    EXPECT_NE(FolderEntries(directory_)[0], "new.md2");
    ASSERT_TRUE(Put(&target, "complete"));
    EXPECT_TRUE(FinishExportTarget(&target, true));
    EXPECT_EQ(ReadFileBytes(directory_ + "new.md2"), "complete");
    EXPECT_EQ(FolderEntries(directory_), std::vector<std::string>{"new.md2"});
}

TEST_F(ExportTargetFile, CompleteWriteReplacesAnExistingFileWhole) {
    ASSERT_TRUE(WriteTestFile(directory_ + "old.md2", "a much longer file than the new one"));
    ExportTarget target;
    ASSERT_TRUE(OpenExportTarget(Wide(directory_ + "old.md2").c_str(), &target));
    EXPECT_EQ(ReadFileBytes(directory_ + "old.md2"), "a much longer file than the new one");
    ASSERT_TRUE(Put(&target, "short"));
    EXPECT_TRUE(FinishExportTarget(&target, true));
    EXPECT_EQ(ReadFileBytes(directory_ + "old.md2"), "short");
    EXPECT_EQ(FolderEntries(directory_), std::vector<std::string>{"old.md2"});
}

TEST_F(ExportTargetFile, FailedWriteLeavesTheTargetAndRemovesTheTemporary) {
    ASSERT_TRUE(WriteTestFile(directory_ + "keep.md2", "the user's file"));
    ExportTarget target;
    ASSERT_TRUE(OpenExportTarget(Wide(directory_ + "keep.md2").c_str(), &target));
    ASSERT_TRUE(Put(&target, "half a mod"));
    EXPECT_FALSE(FinishExportTarget(&target, false));
    EXPECT_EQ(ReadFileBytes(directory_ + "keep.md2"), "the user's file");
    EXPECT_EQ(FolderEntries(directory_), std::vector<std::string>{"keep.md2"});

    // Nothing there before: nothing there after.
    ASSERT_TRUE(OpenExportTarget(Wide(directory_ + "none.md2").c_str(), &target));
    EXPECT_FALSE(FinishExportTarget(&target, false));
    EXPECT_EQ(FolderEntries(directory_), std::vector<std::string>{"keep.md2"});
}

TEST_F(ExportTargetFile, TemporaryNamesDoNotMeetEarlierOnes) {
    ExportTarget first;
    ExportTarget second;
    ASSERT_TRUE(OpenExportTarget(Wide(directory_ + "a.md2").c_str(), &first));
    ASSERT_TRUE(OpenExportTarget(Wide(directory_ + "b.md2").c_str(), &second));
    EXPECT_NE(std::u16string(first.temporary), std::u16string(second.temporary));
    ASSERT_TRUE(Put(&first, "first"));
    ASSERT_TRUE(Put(&second, "second"));
    EXPECT_TRUE(FinishExportTarget(&second, true));
    EXPECT_TRUE(FinishExportTarget(&first, true));
    EXPECT_EQ(ReadFileBytes(directory_ + "a.md2"), "first");
    EXPECT_EQ(ReadFileBytes(directory_ + "b.md2"), "second");
    EXPECT_EQ(FolderEntries(directory_), (std::vector<std::string>{"a.md2", "b.md2"}));
}

TEST_F(ExportTargetFile, FoldersAndMissingFoldersCannotBeWritten) {
    ExportTarget target;
    EXPECT_FALSE(OpenExportTarget(Wide(directory_).c_str(), &target));
    EXPECT_FALSE(OpenExportTarget(Wide(directory_ + "no/such/folder.md2").c_str(), &target));
    EXPECT_FALSE(OpenExportTarget(u"", &target));
    EXPECT_EQ(target.file, nullptr);
    EXPECT_TRUE(FolderEntries(directory_).empty());
}

TEST_F(ExportTargetFile, DeviceIsWrittenInPlace) {
    if (TestOnWindows()) {
        GTEST_SKIP() << "/dev/null is a Linux device";
    }
    ExportTarget target;
    ASSERT_TRUE(OpenExportTarget(u"/dev/null", &target));
    EXPECT_EQ(target.temporary[0], 0);
    ASSERT_TRUE(Put(&target, "gone"));
    EXPECT_TRUE(FinishExportTarget(&target, true));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}
