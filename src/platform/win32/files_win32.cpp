// Paths and files on Windows, through the C runtime and KERNEL32.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"
#include "platform/split_path_generic.h"

namespace {

const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
wchar_t* W(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }

}  // namespace

void PlatformSplitPathWide(const char16_t* path, char16_t* drive, char16_t* dir, char16_t* name,
                           char16_t* ext) {
    // The runtime refuses parts longer than its buffers; such a path is split
    // the same way with each part cut to its buffer instead.
    if (path == nullptr ||
        _wsplitpath_s(W(path), W(drive), kSplitDriveCap, W(dir), kSplitPartCap, W(name), kSplitPartCap,
                      W(ext), kSplitPartCap) != 0) {
        SplitPathGeneric(path, drive, kSplitDriveCap, dir, kSplitPartCap, name, kSplitPartCap, ext,
                         kSplitPartCap);
    }
}

void PlatformSplitPathNarrow(const char* path, char* drive, char* dir, char* name, char* ext) {
    if (path == nullptr ||
        _splitpath_s(path, drive, kSplitDriveCap, dir, kSplitPartCap, name, kSplitPartCap, ext,
                     kSplitPartCap) != 0) {
        SplitPathGeneric(path, drive, kSplitDriveCap, dir, kSplitPartCap, name, kSplitPartCap, ext,
                         kSplitPartCap);
    }
}

int PlatformSetCurrentDirectory(const char16_t* path) {
    return path != nullptr && SetCurrentDirectoryW(W(path)) ? 1 : 0;
}

std::FILE* PlatformOpenFile(const char16_t* path, const char* mode) {
    if (path == nullptr || mode == nullptr) {
        return nullptr;
    }
    wchar_t wideMode[8] = {};
    for (int i = 0; i < 7 && mode[i] != 0; ++i) {
        wideMode[i] = static_cast<wchar_t>(mode[i]);
    }
    return _wfopen(W(path), wideMode);
}
