// Replacing a file whole on Linux: exclusive creation, fsync and rename(2),
// which replaces the target atomically within one file system; symbolic links
// followed by hand, so that the file they point to is the one replaced.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

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

// Gives the file the owner and group of `info` where this process may: only
// a privileged process gives a file away, but any user may keep a group he
// belongs to. Answers true when the group at least was kept.
bool KeepOwner(const char* path, const struct stat& info) {
    return chown(path, info.st_uid, info.st_gid) == 0 || chown(path, static_cast<uid_t>(-1), info.st_gid) == 0;
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

int PlatformResolveTarget(const char16_t* path, char16_t* out, int capacity) {
    char current[kPathBytes];
    if (out == nullptr || capacity <= 0 || !Utf8Path(path, current)) {
        return 0;
    }
    // The kernel's own bound on the links met while resolving one path.
    constexpr int kMaxLinks = 40;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat info {};
        if (lstat(current, &info) != 0 || !S_ISLNK(info.st_mode)) {
            char16_t wide[kPathBytes];
            if (PlatformCodePageToWide(current, wide, kPathBytes) == 0 ||
                std::char_traits<char16_t>::length(wide) >= static_cast<std::size_t>(capacity)) {
                return 0;
            }
            std::char_traits<char16_t>::copy(out, wide, std::char_traits<char16_t>::length(wide) + 1);
            return 1;
        }
        char link[kPathBytes];
        const ssize_t length = readlink(current, link, sizeof link - 1);
        if (length <= 0) {
            return 0;
        }
        link[length] = 0;
        if (link[0] == '/') {
            std::memcpy(current, link, static_cast<std::size_t>(length) + 1);
            continue;
        }
        // A relative link is read from the folder that holds it.
        char* slash = std::strrchr(current, '/');
        const std::size_t folder = slash == nullptr ? 0 : static_cast<std::size_t>(slash - current) + 1;
        if (folder + static_cast<std::size_t>(length) + 1 > sizeof current) {
            return 0;
        }
        std::memcpy(current + folder, link, static_cast<std::size_t>(length) + 1);
    }
    return 0;
}

int PlatformLinkCount(const char16_t* path) {
    char utf8[kPathBytes];
    struct stat info {};
    if (!Utf8Path(path, utf8) || stat(utf8, &info) != 0 || info.st_nlink < 1) {
        return 1;
    }
    return info.st_nlink > 1000 ? 1000 : static_cast<int>(info.st_nlink);
}

int PlatformReplaceFile(const char16_t* source, const char16_t* target) {
    char from[kPathBytes];
    char to[kPathBytes];
    if (!Utf8Path(source, from) || !Utf8Path(target, to)) {
        return 0;
    }
    struct stat info {};
    if (stat(to, &info) == 0 && S_ISREG(info.st_mode)) {
        // Owner and group first: changing them clears the set-id bits.
        KeepOwner(from, info);
        if (chmod(from, info.st_mode & 07777) != 0) {
            return 0;
        }
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
