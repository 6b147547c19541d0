// Writing an export beside its target: the target changes only when the
// whole file was written, and no temporary file stays behind.
#include <gtest/gtest.h>

#include <cstdint>
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

// A file held open for reading, as another program may hold it, sharing
// every access (also deletion and renaming, on Windows) or all but those.
class HeldFile {
public:
    explicit HeldFile(const std::string& path, bool shareDeletion = true) {
#ifdef _WIN32
        const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | (shareDeletion ? FILE_SHARE_DELETE : 0);
        handle_ = CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
#else
        (void)shareDeletion;
        file_ = std::fopen(path.c_str(), "rb");
#endif
    }
    ~HeldFile() {
#ifdef _WIN32
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
#else
        if (file_ != nullptr) {
            std::fclose(file_);
        }
#endif
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    // The bytes it reads now, from its start; "(not open)" when it could not be opened.
    std::string Read() {
        char bytes[256];
#ifdef _WIN32
        DWORD length = 0;
        if (handle_ == INVALID_HANDLE_VALUE || SetFilePointer(handle_, 0, nullptr, FILE_BEGIN) != 0 ||
            !ReadFile(handle_, bytes, sizeof bytes, &length, nullptr)) {
            return "(not open)";
        }
#else
        if (file_ == nullptr || std::fseek(file_, 0, SEEK_SET) != 0) {
            return "(not open)";
        }
        const std::size_t length = std::fread(bytes, 1, sizeof bytes, file_);
#endif
        return std::string(bytes, length);
    }

private:
#ifdef _WIN32
    HANDLE handle_ = INVALID_HANDLE_VALUE;
#else
    std::FILE* file_ = nullptr;
#endif
};

// Which file a name leads to: its inode (under Wine the file index, which is the inode); 0 when unknown.
std::uint64_t FileIdentity(const std::string& path) {
#ifdef _WIN32
    HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &info);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
    }
    return known ? (std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow) : 0;
#else
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_ino) : 0;
#endif
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

// A target with one name is replaced by a rename: a new file takes the name,
// and a reader of the old one goes on reading the old bytes.
TEST_F(ExportTargetFile, ASingleNamedTargetIsReplacedByANewFile) {
    const std::string path = directory_ + "model.md2";
    ASSERT_TRUE(WriteTestFile(path, "the old model"));
    const std::uint64_t old = FileIdentity(path);
    {
        HeldFile reader(path);
        ASSERT_EQ(reader.Read(), "the old model");
        ASSERT_TRUE(ExportText(path, "the new model"));
        EXPECT_EQ(ReadFileBytes(path), "the new model");
        EXPECT_NE(FileIdentity(path), old);
        EXPECT_EQ(reader.Read(), "the old model");
    }
    // (On Windows the old file, deleted while held, is listed until its reader closes it.)
    EXPECT_EQ(FolderEntries(directory_), std::vector<std::string>{"model.md2"});
}

TEST_F(ExportTargetFile, OtherHardLinksSeeTheNewFile) {
    ASSERT_TRUE(WriteTestFile(directory_ + "one.md2", "the old model"));
    std::error_code error;
    std::filesystem::create_hard_link(directory_ + "one.md2", directory_ + "two.md2", error);
    if (error) {
        GTEST_SKIP() << "hard links cannot be made here: " << error.message();
    }
    // Longer than one block of the copy.
    const std::string model = "the new model" + std::string(100000, '.');
    ASSERT_TRUE(ExportText(directory_ + "one.md2", model.c_str()));
    // A replaced file would have left the other name with the old model.
    EXPECT_EQ(ReadFileBytes(directory_ + "two.md2"), model);
    EXPECT_EQ(FileIdentity(directory_ + "one.md2"), FileIdentity(directory_ + "two.md2"));
    EXPECT_EQ(FolderEntries(directory_), (std::vector<std::string>{"one.md2", "two.md2"}));
}

#ifdef _WIN32

// A program holding the target open without sharing its deletion makes the
// replacement fail: the file is copied into the target in place.
TEST_F(ExportTargetFile, ARefusedReplacementCopiesIntoTheTarget) {
    const std::string path = directory_ + "model.md2";
    ASSERT_TRUE(WriteTestFile(path, "the old model"));
    const std::uint64_t old = FileIdentity(path);
    {
        HeldFile reader(path, false);
        ASSERT_EQ(reader.Read(), "the old model");
        ASSERT_TRUE(ExportText(path, "the new model"));
        EXPECT_EQ(reader.Read(), "the new model");
        EXPECT_EQ(FileIdentity(path), old);
    }
    EXPECT_EQ(FolderEntries(directory_), std::vector<std::string>{"model.md2"});
}

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
