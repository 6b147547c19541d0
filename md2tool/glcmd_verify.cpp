// The check a rewritten file passes before it may replace the user's file.
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <set>

#include "md2tool/glcmd_rewrite.h"
#include "md2tool/md2_check.h"
#include "md2tool/md2_file_view.h"
#include "md2tool/md2_sections.h"
#include "md2tool/tool_model.h"

namespace {

// Header fields the rewrite keeps: ident, version, skin size, frame size
// and the counts other than the list's.
constexpr std::size_t kKeptHeaderFields[] = {0, 4, 8, 12, 16, 20, 24, 28, 32, 40};

std::set<std::string> ErrorRules(const std::vector<std::uint8_t>& bytes) {
    std::set<std::string> rules;
    for (const Md2Finding& finding : CheckMd2Bytes(bytes.data(), bytes.size()).findings) {
        if (finding.error) {
            rules.insert(finding.rule);
        }
    }
    return rules;
}

bool SectionsKept(const Md2FileView& before, const Md2FileView& after, std::string* error) {
    for (std::size_t field : kKeptHeaderFields) {
        if (std::memcmp(before.bytes + field, after.bytes + field, 4) != 0) {
            *error = "header field at byte " + std::to_string(field) + " changed";
            return false;
        }
    }
    const Md2SectionSpans a = SectionSpans(before);
    const Md2SectionSpans b = SectionSpans(after);
    for (int s = 0; s < kMd2GlSection; ++s) {
        const Md2Span& was = a.items[s];
        const Md2Span& is = b.items[s];
        if (was.bytes == 0) {
            continue;
        }
        // Both lie inside their files: the reader took both.
        if (std::memcmp(before.bytes + was.offset, after.bytes + is.offset, was.bytes) != 0) {
            *error = std::string("the ") + SectionName(s) + " changed";
            return false;
        }
    }
    const Md2Span& list = b.items[kMd2GlSection];
    if (!GlCommandsInFile(after) || list.bytes == 0 || list.offset < kMd2HeaderBytes) {
        *error = "the GL command list does not lie in the file past the header";
        return false;
    }
    for (int s = 0; s < kMd2GlSection; ++s) {
        if (SpansOverlap(list, b.items[s])) {
            *error = std::string("the GL command list overlaps the ") + SectionName(s);
            return false;
        }
    }
    return true;
}

// A triangle's corners (vertex, s bits, t bits), turned to the least of its
// three turns: the same triangle drawn from any of its corners, also when
// one corner appears twice.
using CornerKey = std::array<std::int64_t, 3>;
using TriangleKey = std::array<CornerKey, 3>;

TriangleKey KeyOf(const CornerKey (&corners)[3]) {
    TriangleKey least = {corners[0], corners[1], corners[2]};
    for (int first = 1; first < 3; ++first) {
        least = std::min(least, TriangleKey{corners[first], corners[(first + 1) % 3], corners[(first + 2) % 3]});
    }
    return least;
}

// The list draws every triangle of the file once, with its winding and
// texture coordinates.
bool ListDrawsEveryTriangle(const Md2FileView& view, std::string* error) {
    const Md2Header& h = view.header;
    if (h.skinwidth <= 0 || h.skinheight <= 0 || !TriangleIndicesInRange(view)) {
        *error = "the skin size or a triangle's indices are out of range";
        return false;
    }
    std::vector<std::int32_t> words(static_cast<std::size_t>(h.num_glcmds));
    for (std::size_t i = 0; i < words.size(); ++i) {
        words[i] = GlCommandWordAt(view, static_cast<int>(i));
    }
    std::vector<GlDrawnTriangle> drawn;
    if (!DecodeGlCommandList(words.data(), words.size(), h.num_xyz, &drawn, error)) {
        return false;
    }
    std::vector<TriangleKey> listed;
    for (const GlDrawnTriangle& triangle : drawn) {
        CornerKey corners[3];
        for (int k = 0; k < 3; ++k) {
            const GlDrawnCorner& c = triangle.corners[k];
            corners[k] = {c.vertex, std::bit_cast<std::int32_t>(c.s), std::bit_cast<std::int32_t>(c.t)};
        }
        listed.push_back(KeyOf(corners));
    }
    std::vector<TriangleKey> expected;
    for (int i = 0; i < h.num_tris; ++i) {
        const Md2TriangleRecord t = TriangleAt(view, i);
        CornerKey corners[3];
        for (int k = 0; k < 3; ++k) {
            const Md2TexCoordRecord st = TexCoordAt(view, t.index_st[k]);
            corners[k] = {t.index_xyz[k],
                          std::bit_cast<std::int32_t>(GlTexCoord(st.s, static_cast<float>(h.skinwidth))),
                          std::bit_cast<std::int32_t>(GlTexCoord(st.t, static_cast<float>(h.skinheight)))};
        }
        expected.push_back(KeyOf(corners));
    }
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    if (listed != expected) {
        *error = "the GL command list does not draw the file's " + std::to_string(h.num_tris) + " triangles";
        return false;
    }
    return true;
}

}  // namespace

bool VerifyGlRewrite(const std::vector<std::uint8_t>& in, const std::vector<std::uint8_t>& out, std::string* error) {
    Md2FileView before;
    Md2FileView after;
    Md2Model model;
    if (!OpenMd2View(in.data(), in.size(), &before, error) || !OpenMd2View(out.data(), out.size(), &after, error) ||
        !LoadModelForTool(in.data(), in.size(), &model, error)) {
        return false;
    }
    ReleaseToolModel(&model);
    if (!LoadModelForTool(out.data(), out.size(), &model, error)) {
        return false;
    }
    ReleaseToolModel(&model);
    if (!SectionsKept(before, after, error) || !ListDrawsEveryTriangle(after, error)) {
        return false;
    }
    const std::set<std::string> had = ErrorRules(in);
    for (const std::string& rule : ErrorRules(out)) {
        if (had.count(rule) == 0 || rule == "glcmds") {
            *error = "check finds a new error [" + rule + "]";
            return false;
        }
    }
    return true;
}
