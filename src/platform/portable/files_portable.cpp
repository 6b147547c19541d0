// Paths and files on Linux: UTF-16 paths are opened by their UTF-8 form.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/split_path_generic.h"

namespace {

// UTF-8 form of a UTF-16 path; false when it cannot be converted.
bool Utf8Path(const char16_t* path, char* out, int capacity) {
    return path != nullptr && PlatformWideToCodePage(path, out, capacity) > 0;
}

constexpr int kPathBytes = 4096;

}  // namespace

void PlatformSplitPathWide(const char16_t* path, char16_t* drive, char16_t* dir, char16_t* name,
                           char16_t* ext) {
    SplitPathGeneric(path, drive, kSplitDriveCap, dir, kSplitPartCap, name, kSplitPartCap, ext,
                     kSplitPartCap);
}

void PlatformSplitPathNarrow(const char* path, char* drive, char* dir, char* name, char* ext) {
    SplitPathGeneric(path, drive, kSplitDriveCap, dir, kSplitPartCap, name, kSplitPartCap, ext,
                     kSplitPartCap);
}

int PlatformSetCurrentDirectory(const char16_t* path) {
    char utf8[kPathBytes];
    return Utf8Path(path, utf8, kPathBytes) && chdir(utf8) == 0 ? 1 : 0;
}

std::FILE* PlatformOpenFile(const char16_t* path, const char* mode) {
    char utf8[kPathBytes];
    if (!Utf8Path(path, utf8, kPathBytes) || mode == nullptr) {
        return nullptr;
    }
    return std::fopen(utf8, mode);
}

PlatformViewResult PlatformMapFile(const char16_t* path, std::size_t largest, PlatformFileView* view) {
    *view = PlatformFileView{};
    char utf8[kPathBytes];
    if (!Utf8Path(path, utf8, kPathBytes)) {
        return kViewNotOpened;
    }
    const int descriptor = open(utf8, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return kViewNotOpened;
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || status.st_size <= 0 ||
        static_cast<std::uint64_t>(status.st_size) > largest) {
        close(descriptor);
        return kViewFailed;
    }
    const auto length = static_cast<std::size_t>(status.st_size);
    void* bytes = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, descriptor, 0);
    if (bytes == MAP_FAILED) {
        close(descriptor);
        return kViewFailed;
    }
    *view = PlatformFileView{static_cast<const std::uint8_t*>(bytes), length, descriptor};
    return kViewMapped;
}

int PlatformFileViewWhole(const PlatformFileView* view) {
    if (view == nullptr || view->bytes == nullptr) {
        return 1;
    }
    struct stat status {};
    return fstat(static_cast<int>(view->file), &status) == 0 && status.st_size >= 0 &&
                   static_cast<std::uint64_t>(status.st_size) >= view->length
               ? 1
               : 0;
}

void PlatformUnmapFile(PlatformFileView* view) {
    if (view == nullptr || view->bytes == nullptr) {
        return;
    }
    munmap(const_cast<std::uint8_t*>(view->bytes), view->length);
    close(static_cast<int>(view->file));
    *view = PlatformFileView{};
}
