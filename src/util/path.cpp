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

// The four parts of a path, in either width.
template <typename Char>
struct PathParts {
    Char drive[kSplitDriveCap];
    Char dir[kSplitPartCap];
    Char name[kSplitPartCap];
    Char ext[kSplitPartCap];
};

void SplitPath(const char16_t* path, PathParts<char16_t>* parts) {
    PlatformSplitPathWide(path, parts->drive, parts->dir, parts->name, parts->ext);
}

void SplitPath(const char* path, PathParts<char>* parts) {
    PlatformSplitPathNarrow(path, parts->drive, parts->dir, parts->name, parts->ext);
}

// File name and extension of the path, in either width.
template <typename Char>
int FileNameOf(const Char* path, Char* out) {
    if (path == nullptr || out == nullptr) {
        return 0;
    }
    PathParts<Char> parts;
    SplitPath(path, &parts);
    JoinNameAndExtension(parts.name, parts.ext, out);
    return 1;
}

}  // namespace

int DirectoryOfPath(const char16_t* path, char16_t* out) {
    if (path == nullptr || out == nullptr) {
        return 0;
    }
    PathParts<char16_t> parts;
    SplitPath(path, &parts);
    out[0] = 0;
    std::size_t n = Append(out, Append(out, 0, parts.drive), parts.dir);
    if (n > 0 && out[n - 1] != u'\\' && out[n - 1] != u'/' && n < kTextPairUnits - 1) {
        out[n++] = u'\\';
        out[n] = 0;
    }
    return 1;
}

int FileNameOfPath(const char16_t* path, char16_t* out) { return FileNameOf(path, out); }

int FileNameOfPathNarrow(const char* path, char* out) { return FileNameOf(path, out); }
