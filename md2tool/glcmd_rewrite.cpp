#include "md2tool/glcmd_rewrite.h"

#include <algorithm>

#include "md2/md2_format.h"
#include "md2tool/md2_file_view.h"
#include "md2tool/md2_sections.h"
#include "md2tool/tool_files.h"
#include "md2tool/tool_model.h"

namespace {

// Where the new list goes, and how many bytes of the old one it replaces.
struct ListPlace {
    std::uint32_t at;
    std::uint32_t oldBytes;
};

ListPlace PlaceOfList(const Md2FileView& view) {
    const Md2SectionSpans spans = SectionSpans(view);
    const Md2Span& list = spans.items[kMd2GlSection];
    bool inPlace = list.bytes > 0 && GlCommandsInFile(view) && list.offset >= kMd2HeaderBytes;
    for (int s = 0; s < kMd2SectionCount && inPlace; ++s) {
        inPlace = s == kMd2GlSection || !SpansOverlap(list, spans.items[s]);
    }
    if (inPlace) {
        return {static_cast<std::uint32_t>(list.offset), static_cast<std::uint32_t>(list.bytes)};
    }
    return {static_cast<std::uint32_t>(EndOfSections(spans, kMd2GlSection)), 0};
}

// Where a byte offset of the input lies in the output: unchanged before the
// list's place, moved by the change of length behind the old list, and
// inside the old list clamped to the new one.
std::int64_t MovedOffset(std::int64_t offset, const ListPlace& place, std::uint64_t newBytes) {
    if (offset < place.at) {
        return offset;
    }
    if (offset >= std::int64_t{place.at} + place.oldBytes) {
        return offset - place.oldBytes + static_cast<std::int64_t>(newBytes);
    }
    return place.at + std::min<std::int64_t>(offset - place.at, static_cast<std::int64_t>(newBytes));
}

}  // namespace

bool AddGlCommands(const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>* out, GlRewriteStats* stats,
                   std::string* error) {
    Md2FileView view;
    if (!OpenMd2View(in.data(), in.size(), &view, error)) {
        return false;
    }
    const Md2Header& h = view.header;
    Md2Model model;
    if (!LoadModelForTool(in.data(), in.size(), &model, error)) {
        return false;
    }
    ReleaseToolModel(&model);
    if (h.skinwidth <= 0 || h.skinheight <= 0) {
        *error = "the skin size is not positive";
        return false;
    }
    if (!TriangleIndicesInRange(view)) {
        *error = "a triangle names a vertex or texture coordinate outside the file's counts";
        return false;
    }
    // The new list changes the header's counts and offsets, so a section that
    // shares bytes with the header cannot keep its own.
    const Md2SectionSpans spans = SectionSpans(view);
    const Md2Span header{0, kMd2HeaderBytes};
    for (int s = 0; s < kMd2SectionCount; ++s) {
        if (s != kMd2GlSection && SpansOverlap(spans.items[s], header)) {
            *error = std::string("the ") + SectionName(s) + " overlap the header, which the new list changes";
            return false;
        }
    }
    std::vector<Md2TriangleRecord> triangles(static_cast<std::size_t>(h.num_tris));
    for (std::size_t i = 0; i < triangles.size(); ++i) {
        triangles[i] = TriangleAt(view, static_cast<int>(i));
    }
    std::vector<Md2TexCoordRecord> texCoords(static_cast<std::size_t>(h.num_st));
    for (std::size_t i = 0; i < texCoords.size(); ++i) {
        texCoords[i] = TexCoordAt(view, static_cast<int>(i));
    }
    const std::vector<std::int32_t> words = BuildGlCommandList(triangles, texCoords, h.skinwidth, h.skinheight);

    const ListPlace place = PlaceOfList(view);
    const std::uint64_t newBytes = 4ull * words.size();
    const std::uint64_t total = std::uint64_t{view.length} - place.oldBytes + newBytes;
    if (total > static_cast<std::uint64_t>(kMd2LargestOffset)) {
        *error = "the file would grow past the format's 2 GiB";
        return false;
    }
    out->assign(in.begin(), in.begin() + place.at);
    out->resize(place.at + newBytes);
    for (std::size_t i = 0; i < words.size(); ++i) {
        StoreI32LE(out->data() + place.at + 4 * i, words[i]);
    }
    out->insert(out->end(), in.begin() + place.at + place.oldBytes, in.end());

    for (std::size_t field : {kMd2OfsSkinsAt, kMd2OfsStAt, kMd2OfsTrisAt, kMd2OfsFramesAt, kMd2OfsEndAt}) {
        const std::int32_t offset = LoadI32LE(in.data() + field);
        if (offset >= 0) {
            StoreI32LE(out->data() + field, static_cast<std::int32_t>(MovedOffset(offset, place, newBytes)));
        }
    }
    // The end of the model's data covers the new list.
    const std::int64_t end = LoadI32LE(out->data() + kMd2OfsEndAt);
    if (end < static_cast<std::int64_t>(place.at + newBytes)) {
        StoreI32LE(out->data() + kMd2OfsEndAt, static_cast<std::int32_t>(place.at + newBytes));
    }
    StoreI32LE(out->data() + kMd2NumGlcmdsAt, static_cast<std::int32_t>(words.size()));
    StoreI32LE(out->data() + kMd2OfsGlcmdsAt, static_cast<std::int32_t>(place.at));
    stats->triangles = h.num_tris;
    stats->words = static_cast<int>(words.size());
    stats->runs = CountGlRuns(words);
    return true;
}

bool RewriteWithGlCommands(const std::string& inPath, const std::string& outPath, GlRewriteStats* stats,
                           std::string* error) {
    std::vector<std::uint8_t> in;
    std::vector<std::uint8_t> out;
    if (!ReadFileBytes(inPath, &in, error)) {
        return false;
    }
    if (!AddGlCommands(in, &out, stats, error)) {
        *error = inPath + ": " + *error;
        return false;
    }
    const ReadBackCheck verify = [&in](const std::vector<std::uint8_t>& written, std::string* why) {
        return VerifyGlRewrite(in, written, why);
    };
    return WriteFileReplacing(outPath, out, verify, error);
}
