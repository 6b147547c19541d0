#include "support/test_env.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "host/host_platform.h"
#include "host/host_session.h"

std::string TestPluginPath() { return DefaultPluginPath(); }

std::string TestTempDir(const std::string& name) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "corvane-tests" / name;
    // Tests run side by side in separate processes: each test gets a folder
    // of its own, so no test wipes another's files.
    if (const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info()) {
        dir /= std::string(test->test_suite_name()) + "." + test->name();
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    std::filesystem::create_directories(dir, ignored);
    std::string path = dir.generic_string();
    return path + "/";
}

std::string TestArtifactsDir() {
    const char* fromEnvironment = std::getenv("CORVANE_ARTIFACTS");
    std::filesystem::path dir = fromEnvironment != nullptr && *fromEnvironment != 0
                                    ? std::filesystem::path(fromEnvironment)
                                    : std::filesystem::path(HostWiden(HostProgramDirectory())) / "artifacts";
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    return dir.generic_string() + "/";
}

bool WriteTestFile(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

bool TestOnWindows() {
#ifdef _WIN32
    return true;
#else
    return false;
#endif
}
