#include <windows.h>

#include "host/host_platform.h"

namespace {

std::wstring Wide(const std::string& utf8) {
    std::u16string text = HostWiden(utf8);
    return std::wstring(text.begin(), text.end());
}

}  // namespace

void* HostLoadModule(const std::string& path, std::string* error) {
    HMODULE module = LoadLibraryW(Wide(path).c_str());
    if (module == nullptr && error != nullptr) {
        *error = "LoadLibraryW failed with error " + std::to_string(GetLastError());
    }
    return module;
}

void* HostModuleSymbol(void* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void HostUnloadModule(void* module) {
    if (module != nullptr) {
        FreeLibrary(static_cast<HMODULE>(module));
    }
}

void* HostCreateParentWindow() {
    // A hidden top-level window standing in for the host's main window.
    return CreateWindowExW(0, L"STATIC", L"corvane-host", WS_OVERLAPPEDWINDOW, 100, 80, 800, 600, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

void HostDestroyParentWindow(void* window) {
    if (window != nullptr) {
        DestroyWindow(static_cast<HWND>(window));
    }
}

std::FILE* HostOpenFile(const TextPair& path, const char* mode) {
    wchar_t wide[kTextPairUnits + 1] = {};
    for (int i = 0; i < kTextPairUnits && path.wide[i] != 0; ++i) {
        wide[i] = static_cast<wchar_t>(path.wide[i]);
    }
    std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(wide, wideMode.c_str());
}

std::FILE* HostOpenPath(const std::string& utf8Path, const char* mode) {
    const std::u16string path = HostWiden(utf8Path);
    const std::wstring widePath(path.begin(), path.end());
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(widePath.c_str(), wideMode.c_str());
}

std::string HostProgramDirectory() {
    wchar_t buffer[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::u16string path(buffer, buffer + n);
    std::string utf8 = HostNarrow(path);
    return utf8.substr(0, utf8.find_last_of("\\/") + 1);
}
