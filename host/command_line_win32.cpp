#include <windows.h>

#include <shellapi.h>

#include <cwchar>
#include <filesystem>

#include "host/command_line.h"
#include "host/host_platform.h"

std::vector<std::string> CommandLineArguments(int, char**) {
    std::vector<std::string> args;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return args;
    }
    for (int i = 1; i < count; ++i) {
        args.push_back(HostNarrow(std::u16string(wide[i], wide[i] + std::wcslen(wide[i]))));
    }
    LocalFree(wide);
    return args;
}

std::string AbsolutePath(const std::string& path) {
    // Through UTF-16: a narrow path would be read in the ANSI code page.
    const std::u16string wide = HostWiden(path);
    const std::filesystem::path absolute = std::filesystem::absolute(std::wstring(wide.begin(), wide.end()));
    const std::wstring generic = absolute.generic_wstring();
    return HostNarrow(std::u16string(generic.begin(), generic.end()));
}
