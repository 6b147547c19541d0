// Writing an export beside its target: the target changes only when the
// whole file was written, and no temporary file stays behind.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// Writes `text` to `path` through a complete export; false when it failed.
bool ExportText(const std::string& path, const char* text) {
    ExportTarget target;
    return OpenExportTarget(Wide(path).c_str(), &target) && Put(&target, text) && FinishExportTarget(&target, true);
}

TEST_F(ExportTargetFile, SymbolicLinkStaysAndTheFileItNamesIsReplaced) {
    // The file a link names: beside it, in another folder, and (Linux) on another file system.
    std::vector<std::string> places = {directory_ + "elsewhere/"};
#ifndef _WIN32
    if (std::filesystem::is_directory("/dev/shm")) {
        places.push_back("/dev/shm/corvane-link-test-" + std::to_string(getpid()) + "/");
    }
#endif
    for (const std::string& folder : places) {
        SCOPED_TRACE(folder);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        ASSERT_TRUE(WriteTestFile(folder + "model.md2", "the old model"));
        const std::string link = directory_ + "link.md2";
        std::filesystem::remove(link);
        std::error_code error;
        std::filesystem::create_symlink(folder + "model.md2", link, error);
        if (error) {
            GTEST_SKIP() << "symbolic links cannot be made here: " << error.message();
        }
        ASSERT_TRUE(ExportText(link, "the new model"));
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        EXPECT_EQ(ReadFileBytes(folder + "model.md2"), "the new model");
        EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"model.md2"});
        std::filesystem::remove(link);
        std::filesystem::remove_all(folder);
    }
}

TEST_F(ExportTargetFile, OtherHardLinksSeeTheNewFile) {
    ASSERT_TRUE(WriteTestFile(directory_ + "one.md2", "the old model"));
    std::error_code error;
    std::filesystem::create_hard_link(directory_ + "one.md2", directory_ + "two.md2", error);
    if (error) {
        GTEST_SKIP() << "hard links cannot be made here: " << error.message();
    }
    ASSERT_TRUE(ExportText(directory_ + "one.md2", "the new model"));
    // A replaced file would have left the other name with the old model.
    EXPECT_EQ(ReadFileBytes(directory_ + "two.md2"), "the new model");
    EXPECT_EQ(FolderEntries(directory_), (std::vector<std::string>{"one.md2", "two.md2"}));
}

#ifdef _WIN32

TEST_F(ExportTargetFile, AttributesAndAccessOfTheReplacedFileStay) {
    const std::string path = directory_ + "hidden.md2";
    ASSERT_TRUE(WriteTestFile(path, "the old model"));
    const std::wstring wide(path.begin(), path.end());
    ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_TRUE(ExportText(path, "the new model"));
    EXPECT_EQ(ReadFileBytes(path), "the new model");
    EXPECT_NE(GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(FolderEntries(directory_), std::vector<std::string>{"hidden.md2"});
}

#else

TEST_F(ExportTargetFile, PermissionBitsAndOwnerOfTheReplacedFileStay) {
    const bool root = geteuid() == 0;
    for (mode_t mode : {0640, 0604, 0755, 0600}) {
        SCOPED_TRACE(mode);
        const std::string path = directory_ + "model.md2";
        ASSERT_TRUE(WriteTestFile(path, "the old model"));
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
        // Only the superuser may give a file away: then the owner must stay too.
        const uid_t owner = root ? 65534 : geteuid();
        const gid_t group = root ? 65534 : getegid();
        ASSERT_EQ(chown(path.c_str(), owner, group), 0);
        ASSERT_TRUE(ExportText(path, "the new model"));
        struct stat info {};
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode);
        EXPECT_EQ(info.st_uid, owner);
        EXPECT_EQ(info.st_gid, group);
        EXPECT_EQ(ReadFileBytes(path), "the new model");
        EXPECT_EQ(FolderEntries(directory_), std::vector<std::string>{"model.md2"});
    }
}

#endif
