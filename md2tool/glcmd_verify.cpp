// The check a rewritten file passes before it may replace the user's file.
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

bool ListDrawsEveryTriangle(const Md2FileView& view, std::string* error) {
    const Md2Header& h = view.header;
    std::vector<std::int32_t> words(static_cast<std::size_t>(h.num_glcmds));
    for (std::size_t i = 0; i < words.size(); ++i) {
        words[i] = GlCommandWordAt(view, static_cast<int>(i));
    }
    std::vector<GlDrawnTriangle> drawn;
    if (!DecodeGlCommandList(words.data(), words.size(), h.num_xyz, &drawn, error)) {
        return false;
    }
    if (drawn.size() != static_cast<std::size_t>(h.num_tris)) {
        *error = "the GL command list draws " + std::to_string(drawn.size()) + " of " + std::to_string(h.num_tris) +
                 " triangles";
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
