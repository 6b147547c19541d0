#include "md2tool/tool_model.h"

#include "md2/md2_parse.h"
#include "md2tool/md2_file_view.h"
#include "md2tool/md2_sections.h"
#include "md2tool/tool_files.h"

namespace {

// The section a refusal names, or -1.
int RefusedSection(Md2ParseResult result) {
    switch (result) {
        case Md2ParseResult::kSkinsOutside:
            return kMd2SkinSection;
        case Md2ParseResult::kTexCoordsOutside:
            return kMd2TexCoordSection;
        case Md2ParseResult::kTrianglesOutside:
            return kMd2TriangleSection;
        case Md2ParseResult::kFramesOutside:
            return kMd2FrameSection;
        default:
            return -1;
    }
}

// The first section that lies outside the file by the tool's own rule, or
// -1 (also when the bytes hold no MD2 header).
int SectionOutsideFile(const std::uint8_t* bytes, std::size_t length) {
    Md2FileView view;
    std::string ignored;
    if (!OpenMd2View(bytes, length, &view, &ignored)) {
        return -1;
    }
    const bool inFile[] = {SkinsInFile(view), TexCoordsInFile(view), TrianglesInFile(view), FramesInFile(view)};
    for (int s = 0; s < kMd2GlSection; ++s) {
        if (!inFile[s]) {
            return s;
        }
    }
    return -1;
}

// Why the plug-in's reader refused the file, in words: the first section
// outside the file when there is one, else the reader's own reason.
std::string RefusalReason(Md2ParseResult result, const std::uint8_t* bytes, std::size_t length) {
    switch (result) {
        case Md2ParseResult::kNotMd2:
            return "the reader finds no MD2 file";
        case Md2ParseResult::kNoBytes:
        case Md2ParseResult::kTooShort:
            return "the reader finds the file shorter than the 68-byte header";
        default:
            break;
    }
    const int outside = SectionOutsideFile(bytes, length);
    if (outside >= 0) {
        return std::string("the ") + SectionName(outside) + " lie outside the file's " + std::to_string(length) +
               " bytes";
    }
    const int section = RefusedSection(result);
    if (section >= 0) {
        // A section of no records at the file's end, which the tool's own
        // view allows (Md2SectionRule).
        return std::string("the ") + SectionName(section) +
               " start at the file's end, where the reader takes no section";
    }
    switch (result) {
        case Md2ParseResult::kNoGeometry:
            return "the reader refuses a file without frames, triangles or texture coordinates";
        case Md2ParseResult::kNegativeCount:
            return "the reader refuses a negative count";
        case Md2ParseResult::kFlatSkin:
            return "the reader refuses texture coordinates on a skin 0 texels wide or high";
        case Md2ParseResult::kNoMemory:
            return "the reader ran out of memory";
        default:
            return "the reader refuses the file";
    }
}

}  // namespace

bool LoadModelForTool(const std::uint8_t* bytes, std::size_t length, Md2Model* model, std::string* error) {
    *model = Md2Model{};
    if (length > static_cast<std::uint64_t>(kMd2LargestOffset)) {
        *error = "the reader takes files below 2 GiB";
        return false;
    }
    const Md2ParseResult result = ParseMd2InPlace(bytes, static_cast<std::uint32_t>(length), model);
    if (result != Md2ParseResult::kLoaded) {
        *error = RefusalReason(result, bytes, length);
        return false;
    }
    return true;
}

void ReleaseToolModel(Md2Model* model) { ReleaseMd2Model(model); }

bool OpenToolModel(const std::string& path, ToolFileBytes* file, Md2FileView* view, Md2Model* model, std::string* error) {
    std::string why;
    if (ReadFileLarge(path, file, &why)) {
        if (OpenMd2View(file->data, file->length, view, &why) &&
            LoadModelForTool(file->data, file->length, model, &why)) {
            return true;
        }
        why = path + ": " + why;
    }
    *error = why;  // the file's own messages name it already
    return false;
}
