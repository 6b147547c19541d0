#include "util/path.h"

#include <cstddef>

#include "platform/platform.h"
#include "host_api/host_records.h"

namespace {

// Appends src to dst (holding `length` units of a buffer of kTextPairUnits),
// cutting it to fit; answers the new length.
template <typename Char>
std::size_t Append(Char* dst, std::size_t length, const Char* src) {
    for (; *src != Char(0) && length < kTextPairUnits - 1; ++src) {
        dst[length++] = *src;
    }
    dst[length] = Char(0);
    return length;
}

template <typename Char>
void JoinNameAndExtension(const Char* name, const Char* ext, Char* out) {
    out[0] = Char(0);
    Append(out, Append(out, 0, name), ext);
}

}  // namespace

int DirectoryOfPath(const char16_t* path, char16_t* out) {
    if (path == nullptr || out == nullptr) {
        return 0;
    }
    char16_t drive[kSplitDriveCap];
    char16_t dir[kSplitPartCap];
    char16_t name[kSplitPartCap];
    char16_t ext[kSplitPartCap];
    PlatformSplitPathWide(path, drive, dir, name, ext);
    out[0] = 0;
    std::size_t n = Append(out, Append(out, 0, drive), dir);
    if (n > 0 && out[n - 1] != u'\\' && out[n - 1] != u'/' && n < kTextPairUnits - 1) {
        out[n++] = u'\\';
        out[n] = 0;
    }
    return 1;
}

int FileNameOfPath(const char16_t* path, char16_t* out) {
    if (path == nullptr || out == nullptr) {
        return 0;
    }
    char16_t drive[kSplitDriveCap];
    char16_t dir[kSplitPartCap];
    char16_t name[kSplitPartCap];
    char16_t ext[kSplitPartCap];
    PlatformSplitPathWide(path, drive, dir, name, ext);
    JoinNameAndExtension(name, ext, out);
    return 1;
}

int FileNameOfPathNarrow(const char* path, char* out) {
    if (path == nullptr || out == nullptr) {
        return 0;
    }
    char drive[kSplitDriveCap];
    char dir[kSplitPartCap];
    char name[kSplitPartCap];
    char ext[kSplitPartCap];
    PlatformSplitPathNarrow(path, drive, dir, name, ext);
    JoinNameAndExtension(name, ext, out);
    return 1;
}
