#include "support/host_program.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "host/host_platform.h"
#include "support/test_env.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

namespace {

// A file of its own for each test's output: ctest runs tests side by side.
std::string OutputPath() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = info == nullptr ? "none" : std::string(info->test_suite_name()) + "-" + info->name();
    return TestTempDir("host-program-" + name) + "output.txt";
}

std::string ReadAll(const std::string& path) {
    std::string bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char block[4096];
        std::size_t length = 0;
        while ((length = std::fread(block, 1, sizeof block, file)) > 0) {
            bytes.append(block, length);
        }
        std::fclose(file);
    }
    return bytes;
}

}  // namespace

#ifdef _WIN32

HostProgramRun RunHostProgram(const std::vector<std::string>& args, int) {
    HostProgramRun run{-1, {}};
    const std::string outputPath = OutputPath();
    std::u16string command = u"\"" + HostWiden(HostProgramDirectory() + "corvane-host.exe") + u"\"";
    for (const std::string& arg : args) {
        command += u" \"" + HostWiden(arg) + u"\"";
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const std::u16string wideOutput = HostWiden(outputPath);
    HANDLE output = CreateFileW(reinterpret_cast<const wchar_t*>(wideOutput.c_str()), GENERIC_WRITE,
                                FILE_SHARE_READ, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) {
        return run;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    std::wstring line(command.begin(), command.end());
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        run.exitCode = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(output);
    run.output = ReadAll(outputPath);
    return run;
}

#else

namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

}  // namespace

HostProgramRun RunHostProgram(const std::vector<std::string>& args, int asUser) {
    HostProgramRun run{-1, {}};
    const std::string outputPath = OutputPath();
    std::string command;
    if (asUser >= 0) {
        const std::string id = std::to_string(asUser);
        command = "setpriv --reuid=" + id + " --regid=" + id + " --clear-groups ";
    }
    command += Quoted(HostProgramDirectory() + "corvane-host");
    for (const std::string& arg : args) {
        command += " " + Quoted(arg);
    }
    command += " > " + Quoted(outputPath) + " 2>&1";
    const int status = std::system(command.c_str());
    if (status != -1 && WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    }
    run.output = ReadAll(outputPath);
    return run;
}

#endif
