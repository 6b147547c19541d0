// Paths and files on Linux: UTF-16 paths are opened by their UTF-8 form.
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
