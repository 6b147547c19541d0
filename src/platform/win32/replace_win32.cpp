// Replacing a file whole on Windows: exclusive creation, FlushFileBuffers and
// ReplaceFileW (MoveFileExW with write-through when there is nothing to
// replace); links resolved through the resolved path of an open handle.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>

#include "platform/platform.h"

namespace {

const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

// Room for a resolved path in the system's long form.
constexpr DWORD kFinalPathUnits = 32768;

// The attributes a replaced file hands on to the file that takes its place.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

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

int PlatformResolveTarget(const char16_t* path, char16_t* out, int capacity) {
    if (path == nullptr || path[0] == 0 || out == nullptr || capacity <= 0) {
        return 0;
    }
    // Opening follows every link; the handle then names the resolved file.
    HANDLE handle = CreateFileW(W(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return 0;
    }
    wchar_t resolved[kFinalPathUnits];
    const DWORD length = GetFinalPathNameByHandleW(handle, resolved, kFinalPathUnits, FILE_NAME_NORMALIZED);
    CloseHandle(handle);
    if (length == 0 || length >= kFinalPathUnits) {
        return 0;
    }
    // "\\?\C:\..." becomes "C:\...", "\\?\UNC\server\..." becomes "\\server\...".
    const wchar_t* start = resolved;
    DWORD skip = 0;
    if (length > 6 && std::wcsncmp(resolved, L"\\\\?\\UNC\\", 8) == 0) {
        skip = 6;
        resolved[6] = L'\\';
    } else if (length > 6 && std::wcsncmp(resolved, L"\\\\?\\", 4) == 0 && resolved[5] == L':') {
        skip = 4;
    }
    start += skip;
    if (length - skip + 1 > static_cast<DWORD>(capacity)) {
        return 0;
    }
    for (DWORD i = 0; i + skip <= length; ++i) {
        out[i] = static_cast<char16_t>(start[i]);
    }
    return 1;
}

int PlatformLinkCount(const char16_t* path) {
    if (path == nullptr || path[0] == 0) {
        return 1;
    }
    HANDLE handle = CreateFileW(W(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return 1;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL known = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!known || info.nNumberOfLinks < 1) {
        return 1;
    }
    return info.nNumberOfLinks > 1000 ? 1000 : static_cast<int>(info.nNumberOfLinks);
}

int PlatformReplaceFile(const char16_t* source, const char16_t* target) {
    if (source == nullptr || target == nullptr) {
        return 0;
    }
    const DWORD attributes = GetFileAttributesW(W(target));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return MoveFileExW(W(source), W(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 1 : 0;
    }
    // A program holding the target without sharing its deletion refuses the
    // replacement. Asked first: Wine's ReplaceFileW leaves an empty file of
    // its own ("rf*.tmp") beside the target when it is refused.
    HANDLE held = CreateFileW(W(target), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        return 0;
    }
    CloseHandle(held);
    // ReplaceFileW keeps the replaced file's attributes and security; the
    // attributes are also given to the new file first, for systems that do
    // not carry them over.
    SetFileAttributesW(W(source), attributes & kKeptAttributes);
    return ReplaceFileW(W(target), W(source), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) ? 1 : 0;
}

int PlatformRemoveFile(const char16_t* path) { return path != nullptr && DeleteFileW(W(path)) ? 1 : 0; }
