// corvane-host run from a command line, as a user runs it: paths outside the
// system's ANSI code page, and (Linux) targets that only a direct write can
// reach, written as a user without privileges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "host/host_platform.h"
#include "support/host_program.h"
#include "support/test_env.h"
#include "unit/export/export_test_support.h"

namespace {

std::filesystem::path Native(const std::string& utf8) { return std::filesystem::path(HostWiden(utf8)); }

// The four bytes every MD2 file starts with, read through a UTF-16 path.
bool IsMd2File(const std::string& utf8) {
    std::FILE* file = HostOpenPath(utf8, "rb");
    char magic[4] = {};
    const bool read = file != nullptr && std::fread(magic, 1, 4, file) == 4;
    if (file != nullptr) {
        std::fclose(file);
    }
    return read && std::string(magic, 4) == "IDP2";
}

// Runs corvane-host and checks its exit code, showing its output when it differs.
void ExpectRun(const std::vector<std::string>& args, int exitCode, const std::string& printed, int asUser = -1) {
    HostProgramRun run = RunHostProgram(args, asUser);
    // Windows programs end their lines with CR LF.
    run.output.erase(std::remove(run.output.begin(), run.output.end(), '\r'), run.output.end());
    EXPECT_EQ(run.exitCode, exitCode) << run.output;
    EXPECT_NE(run.output.find(printed), std::string::npos) << "expected \"" << printed << "\" in\n" << run.output;
}

}  // namespace

TEST(HostProgram, ImportsAndExportsPathsOutsideTheCodePage) {
    const std::string folder = TestTempDir("HostProgram-unicode") + "модель 模型/";
    std::filesystem::create_directories(Native(folder));
    ExpectRun({"sample", folder}, 0, "crate.md2");
    const std::string written = folder + "фея 妖精.md2";
    ExpectRun({"export", TestPluginPath(), folder + "crate.md2", written}, 0, "write request: 1");
    EXPECT_TRUE(IsMd2File(written));
    ExpectRun({"import", TestPluginPath(), written, "--frame", "1"}, 0, "read request: 1");
}

// Help, version and bad arguments, natively and as corvane-host.exe under Wine.
TEST(HostProgram, HelpVersionAndBadArguments) {
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* printed;
    } cases[] = {
        {{"--help"}, 0, "exit status: 0 success"},
        {{"-h"}, 0, "usage: corvane-host export"},
        {{"import", "--help"}, 0, "usage: corvane-host import"},
        {{"export", "x", "-h"}, 0, "usage: corvane-host export"},
        {{"--version"}, 0, "corvane-host 3."},
        {{}, 1, "corvane-host: no command\nusage: corvane-host info"},
        {{"frobnicate"}, 1, "corvane-host: unknown command frobnicate"},
        {{"export", "plugin"}, 1, "corvane-host: missing arguments\nusage: corvane-host export"},
        {{"sample"}, 1, "usage: corvane-host sample"},
        {{"import", "p.dlx", "m.md2", "--bogus"}, 1, "unknown option or missing value: --bogus\nusage: corvane-host import"},
        {{"export", "p", "s", "o.md2", "--fps", "zero"}, 1, "--fps takes a positive number, not zero"},
        {{"export", "p", "s", "o.md2", "--frames", "run"}, 1, "--frames takes NAME=COUNT with COUNT from 1 to 1024"},
        {{"export", "p", "demo", "o.md2", "--frames", "a=3"}, 1, "--frames and --loop take a model or scene file"},
        {{"export", "p", "s", "dir", "--player", "--map", "walk=run"}, 1, "--map takes STANDARD=SOURCE"},
        {{"export", "p", "s", "dir", "--player", "--skin-name", "a/b"}, 1, "--skin-name takes a file name"},
    };
    for (const auto& c : cases) {
        ExpectRun(c.args, c.exitCode, c.printed);
    }
}

#ifdef CORVANE_HAVE_ASSIMP

// The Open Asset Import Library is loaded only when a model file is
// converted, so it is none of the libraries the program starts with (the
// dynamic loader lists them instead of running the program); exporting from a
// model file through the program is covered by model_source_test.cpp.
TEST(HostProgram, StartsWithoutTheModelFileConverter) {
    const std::string command = "env LD_TRACE_LOADED_OBJECTS=1 '" + HostProgramDirectory() + "corvane-host' 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string listed;
    char block[4096];
    while (std::size_t length = std::fread(block, 1, sizeof block, pipe)) {
        listed.append(block, length);
    }
    ASSERT_EQ(pclose(pipe), 0) << listed;
    EXPECT_NE(listed.find("libstdc++"), std::string::npos) << listed;
    EXPECT_EQ(listed.find("libassimp"), std::string::npos) << listed;
    EXPECT_EQ(listed.find("corvane-host-assimp"), std::string::npos) << listed;
}

#endif

#ifndef _WIN32

// The superuser writes whatever the permission bits say: these steps run as
// the user nobody.
class HostProgramAsUser : public ::testing::Test {
protected:
    static constexpr int kNobody = 65534;

    void SetUp() override {
        if (geteuid() != 0) {
            GTEST_SKIP() << "switching to another user needs the superuser";
        }
        const HostProgramRun probe = RunHostProgram({"info", TestPluginPath()}, kNobody);
        if (probe.exitCode != 0) {
            GTEST_SKIP() << "corvane-host cannot run as user " << kNobody << " here (setpriv): " << probe.output;
        }
        directory_ = TestTempDir(std::string("HostProgramAsUser-") +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_EQ(RunHostProgram({"sample", directory_}).exitCode, 0);
    }

    // A folder of its own, owned by root (nobody may not create files there) or by nobody.
    std::string Folder(const std::string& name, bool ownedByNobody) {
        const std::string folder = directory_ + name + "/";
        std::filesystem::create_directories(folder);
        EXPECT_EQ(chown(folder.c_str(), ownedByNobody ? kNobody : 0, ownedByNobody ? kNobody : 0), 0);
        return folder;
    }

    // A file nobody owns, with the given permission bits.
    void OwnedFile(const std::string& path, mode_t mode) {
        ASSERT_TRUE(WriteTestFile(path, "the user's file"));
        ASSERT_EQ(chown(path.c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
    }

    std::string directory_;
};

TEST_F(HostProgramAsUser, WritableFileInAFolderThatTakesNoNewFileIsWrittenInPlace) {
    const std::string folder = Folder("locked", false);
    OwnedFile(folder + "out.md2", 0640);
    ExpectRun({"export", TestPluginPath(), directory_ + "crate.md2", folder + "out.md2"}, 0, "write request: 1",
              kNobody);
    EXPECT_TRUE(IsMd2File(folder + "out.md2"));
    struct stat info {};
    ASSERT_EQ(stat((folder + "out.md2").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(info.st_uid, static_cast<uid_t>(kNobody));
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"out.md2"});
}

TEST_F(HostProgramAsUser, ReadOnlyFileIsRefusedAsADirectOpenWouldBe) {
    const std::string folder = Folder("open", true);
    OwnedFile(folder + "out.md2", 0444);
    ExpectRun({"export", TestPluginPath(), directory_ + "crate.md2", folder + "out.md2"}, 1,
              "write request: 0 (failed) error text: Could not open file for writing.", kNobody);
    EXPECT_EQ(ReadFileBytes(folder + "out.md2"), "the user's file");
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"out.md2"});
}

#endif
