// The five sections an MD2 header describes, as spans of bytes, and where
// the header keeps their counts and offsets.
#pragma once

#include <cstddef>
#include <cstdint>

#include "md2tool/md2_file_view.h"

enum Md2Section : int {
    kMd2SkinSection,
    kMd2TexCoordSection,
    kMd2TriangleSection,
    kMd2FrameSection,
    kMd2GlSection,
    kMd2SectionCount,
};

// Byte positions of header fields.
inline constexpr std::size_t kMd2NumGlcmdsAt = 36;
inline constexpr std::size_t kMd2OfsSkinsAt = 44;
inline constexpr std::size_t kMd2OfsStAt = 48;
inline constexpr std::size_t kMd2OfsTrisAt = 52;
inline constexpr std::size_t kMd2OfsFramesAt = 56;
inline constexpr std::size_t kMd2OfsGlcmdsAt = 60;
inline constexpr std::size_t kMd2OfsEndAt = 64;

struct Md2Span {
    std::int64_t offset;
    std::uint64_t bytes;  // 0 for a negative count
};

struct Md2SectionSpans {
    Md2Span items[kMd2SectionCount];
};

Md2SectionSpans SectionSpans(const Md2FileView& view);

const char* SectionName(int section);

// True when both spans hold bytes and share one.
bool SpansOverlap(const Md2Span& a, const Md2Span& b);

// The first byte past the header and past every non-empty section other than
// `except`.
std::uint64_t EndOfSections(const Md2SectionSpans& spans, int except);
