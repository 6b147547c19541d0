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

PlatformViewResult PlatformMapFile(const char16_t* path, std::size_t largest, PlatformFileView* view) {
    *view = PlatformFileView{};
    if (path == nullptr) {
        return kViewNotOpened;
    }
    HANDLE file = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return kViewNotOpened;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0 || static_cast<ULONGLONG>(size.QuadPart) > largest) {
        CloseHandle(file);
        return kViewFailed;
    }
    // The view keeps the mapping object alive once its handle is closed.
    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    void* bytes = mapping != nullptr ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (mapping != nullptr) {
        CloseHandle(mapping);
    }
    if (bytes == nullptr) {
        CloseHandle(file);
        return kViewFailed;
    }
    *view = PlatformFileView{static_cast<const std::uint8_t*>(bytes), static_cast<std::size_t>(size.QuadPart),
                             reinterpret_cast<std::intptr_t>(file)};
    return kViewMapped;
}

int PlatformFileViewWhole(const PlatformFileView* view) {
    if (view == nullptr || view->bytes == nullptr) {
        return 1;
    }
    LARGE_INTEGER size{};
    return GetFileSizeEx(reinterpret_cast<HANDLE>(view->file), &size) && size.QuadPart >= 0 &&
                   static_cast<ULONGLONG>(size.QuadPart) >= view->length
               ? 1
               : 0;
}

void PlatformUnmapFile(PlatformFileView* view) {
    if (view == nullptr || view->bytes == nullptr) {
        return;
    }
    UnmapViewOfFile(view->bytes);
    CloseHandle(reinterpret_cast<HANDLE>(view->file));
    *view = PlatformFileView{};
}
