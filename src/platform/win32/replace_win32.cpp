// Replacing a file whole on Windows: exclusive creation, FlushFileBuffers and
// MoveFileExW with write-through.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/platform.h"

namespace {

const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

}  // namespace

PlatformTargetKind PlatformInspectTarget(const char16_t* path) {
    if (path == nullptr || path[0] == 0) {
        return kTargetUnwritable;
    }
    DWORD attributes = GetFileAttributesW(W(path));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? kTargetAbsent : kTargetUnwritable;
    }
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        return kTargetUnwritable;
    }
    // Opened for writing, neither created nor truncated: refused when the
    // file is protected or another program holds it against writers.
    HANDLE handle = CreateFileW(W(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return kTargetUnwritable;
    }
    DWORD type = GetFileType(handle);
    CloseHandle(handle);
    return type == FILE_TYPE_DISK ? kTargetRegularFile : kTargetDevice;
}

std::FILE* PlatformCreateNewFile(const char16_t* path) {
    if (path == nullptr) {
        return nullptr;
    }
    HANDLE handle = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (descriptor == -1) {
        CloseHandle(handle);
        DeleteFileW(W(path));
        return nullptr;
    }
    std::FILE* file = _fdopen(descriptor, "wb");
    if (file == nullptr) {
        _close(descriptor);
        DeleteFileW(W(path));
    }
    return file;
}

int PlatformCommitAndClose(std::FILE* file) {
    if (file == nullptr) {
        return 0;
    }
    bool ok = std::fflush(file) == 0;
    if (ok) {
        HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
        ok = handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != 0;
    }
    return std::fclose(file) == 0 && ok ? 1 : 0;
}

int PlatformReplaceFile(const char16_t* source, const char16_t* target) {
    if (source == nullptr || target == nullptr) {
        return 0;
    }
    return MoveFileExW(W(source), W(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 1 : 0;
}

int PlatformRemoveFile(const char16_t* path) { return path != nullptr && DeleteFileW(W(path)) ? 1 : 0; }
