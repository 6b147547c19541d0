// Splitting a path into drive, directory, file name and extension, the way the
// C runtime does it: a drive is a letter and a colon at the start, the
// directory runs to the last backslash or forward slash, the extension starts
// at the last dot after it. Each part is cut to its buffer, which the caller
// sizes as the platform header says.
#pragma once

#include <cstddef>

template <typename Char>
void CopySplitPart(const Char* begin, const Char* end, Char* out, std::size_t capacity) {
    if (out == nullptr || capacity == 0) {
        return;
    }
    std::size_t n = static_cast<std::size_t>(end - begin);
    if (n > capacity - 1) {
        n = capacity - 1;
    }
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = begin[i];
    }
    out[n] = Char(0);
}

template <typename Char>
void SplitPathGeneric(const Char* path, Char* drive, std::size_t driveCap, Char* dir, std::size_t dirCap,
                      Char* name, std::size_t nameCap, Char* ext, std::size_t extCap) {
    static const Char kEmpty[1] = {Char(0)};
    if (path == nullptr) {
        path = kEmpty;
    }
    const Char* p = path;
    if (p[0] != Char(0) && p[1] == Char(':')) {
        CopySplitPart(p, p + 2, drive, driveCap);
        p += 2;
    } else {
        CopySplitPart(p, p, drive, driveCap);
    }
    const Char* lastSeparator = nullptr;
    const Char* lastDot = nullptr;
    const Char* end = p;
    for (; *end != Char(0); ++end) {
        if (*end == Char('\\') || *end == Char('/')) {
            lastSeparator = end;
        } else if (*end == Char('.')) {
            lastDot = end;
        }
    }
    const Char* nameStart = lastSeparator != nullptr ? lastSeparator + 1 : p;
    CopySplitPart(p, nameStart, dir, dirCap);
    if (lastDot != nullptr && lastDot >= nameStart) {
        CopySplitPart(nameStart, lastDot, name, nameCap);
        CopySplitPart(lastDot, end, ext, extCap);
    } else {
        CopySplitPart(nameStart, end, name, nameCap);
        CopySplitPart(end, end, ext, extCap);
    }
}
