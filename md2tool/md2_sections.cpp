#include "md2tool/md2_sections.h"

#include <algorithm>

namespace {

std::uint64_t SpanBytes(std::int32_t count, std::uint64_t recordBytes) {
    return count > 0 ? static_cast<std::uint64_t>(count) * recordBytes : 0;
}

}  // namespace

Md2SectionSpans SectionSpans(const Md2FileView& view) {
    const Md2Header& h = view.header;
    const std::uint64_t frameBytes = h.num_xyz >= 0 ? FrameBytesOf(h) : 0;
    return {{
        {h.ofs_skins, SpanBytes(h.num_skins, kMd2SkinBytes)},
        {h.ofs_st, SpanBytes(h.num_st, kMd2TexCoordBytes)},
        {h.ofs_tris, SpanBytes(h.num_tris, kMd2TriangleBytes)},
        {h.ofs_frames, SpanBytes(h.num_frames, frameBytes)},
        {h.ofs_glcmds, SpanBytes(h.num_glcmds, 4)},
    }};
}

const char* SectionName(int section) {
    static constexpr const char* kNames[kMd2SectionCount] = {"skins", "texture coordinates", "triangles", "frames",
                                                             "GL commands"};
    return section >= 0 && section < kMd2SectionCount ? kNames[section] : "?";
}

bool SpansOverlap(const Md2Span& a, const Md2Span& b) {
    if (a.bytes == 0 || b.bytes == 0) {
        return false;
    }
    const std::int64_t aEnd = a.offset + static_cast<std::int64_t>(a.bytes);
    const std::int64_t bEnd = b.offset + static_cast<std::int64_t>(b.bytes);
    return a.offset < bEnd && b.offset < aEnd;
}

std::uint64_t EndOfSections(const Md2SectionSpans& spans, int except) {
    std::uint64_t end = kMd2HeaderBytes;
    for (int s = 0; s < kMd2SectionCount; ++s) {
        const Md2Span& span = spans.items[s];
        if (s != except && span.bytes > 0 && span.offset >= 0) {
            end = std::max(end, static_cast<std::uint64_t>(span.offset) + span.bytes);
        }
    }
    return end;
}
