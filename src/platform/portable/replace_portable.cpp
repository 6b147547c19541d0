// Replacing a file whole on Linux: exclusive creation, fsync and rename(2),
// which replaces the target atomically within one file system.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace {

constexpr int kPathBytes = 4096;

bool Utf8Path(const char16_t* path, char* out) {
    return path != nullptr && PlatformWideToCodePage(path, out, kPathBytes) > 1;
}

// Makes a finished rename durable: the folder that holds the entry is synced.
void SyncFolderOf(const char* path) {
    char folder[kPathBytes];
    std::strcpy(folder, path);
    char* slash = std::strrchr(folder, '/');
    if (slash == nullptr) {
        std::strcpy(folder, ".");
    } else if (slash == folder) {
        folder[1] = 0;
    } else {
        *slash = 0;
    }
    int descriptor = open(folder, O_RDONLY | O_DIRECTORY);
    if (descriptor >= 0) {
        fsync(descriptor);
        close(descriptor);
    }
}

}  // namespace

PlatformTargetKind PlatformInspectTarget(const char16_t* path) {
    char utf8[kPathBytes];
    if (!Utf8Path(path, utf8)) {
        return kTargetUnwritable;
    }
    struct stat info {};
    if (stat(utf8, &info) != 0) {
        return errno == ENOENT ? kTargetAbsent : kTargetUnwritable;
    }
    if (S_ISREG(info.st_mode)) {
        return access(utf8, W_OK) == 0 ? kTargetRegularFile : kTargetUnwritable;
    }
    if (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode)) {
        return access(utf8, W_OK) == 0 ? kTargetDevice : kTargetUnwritable;
    }
    return kTargetUnwritable;
}

std::FILE* PlatformCreateNewFile(const char16_t* path) {
    char utf8[kPathBytes];
    if (!Utf8Path(path, utf8)) {
        return nullptr;
    }
    int descriptor = open(utf8, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return nullptr;
    }
    std::FILE* file = fdopen(descriptor, "wb");
    if (file == nullptr) {
        close(descriptor);
        unlink(utf8);
    }
    return file;
}

int PlatformCommitAndClose(std::FILE* file) {
    if (file == nullptr) {
        return 0;
    }
    bool ok = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    return std::fclose(file) == 0 && ok ? 1 : 0;
}

int PlatformReplaceFile(const char16_t* source, const char16_t* target) {
    char from[kPathBytes];
    char to[kPathBytes];
    if (!Utf8Path(source, from) || !Utf8Path(target, to)) {
        return 0;
    }
    // A symbolic link stays: the file it points to is the one replaced.
    struct stat info {};
    char resolved[PATH_MAX];
    if (lstat(to, &info) == 0 && S_ISLNK(info.st_mode) && realpath(to, resolved) != nullptr) {
        std::strcpy(to, resolved);
    }
    if (rename(from, to) != 0) {
        return 0;
    }
    SyncFolderOf(to);
    return 1;
}

int PlatformRemoveFile(const char16_t* path) {
    char utf8[kPathBytes];
    return Utf8Path(path, utf8) && unlink(utf8) == 0 ? 1 : 0;
}
