#include "md2tool/tool_model.h"

#include "md2/md2_parse.h"
#include "md2/read_cursor.h"
#include "md2tool/md2_file_view.h"
#include "md2tool/md2_sections.h"
#include "md2tool/tool_files.h"

bool LoadModelForTool(const std::uint8_t* bytes, std::size_t length, Md2Model* model, std::string* error) {
    *model = Md2Model{};
    if (length > static_cast<std::uint64_t>(kMd2LargestOffset)) {
        *error = "the reader takes files below 2 GiB";
        return false;
    }
    ReadCursor cursor{bytes, 0, static_cast<std::uint32_t>(length)};
    const int result = ParseMd2(&cursor, model, nullptr);
    if (result != 1) {
        *error = result == 3 ? "the reader finds no MD2 file" : "the reader refuses the file";
        // Which section is out of place, when one is.
        Md2FileView view;
        std::string ignored;
        if (result != 3 && OpenMd2View(bytes, length, &view, &ignored)) {
            const bool inFile[] = {SkinsInFile(view), TexCoordsInFile(view), TrianglesInFile(view), FramesInFile(view)};
            for (int s = 0; s < kMd2GlSection; ++s) {
                if (!inFile[s]) {
                    *error = std::string("the ") + SectionName(s) + " lie outside the file's " +
                             std::to_string(view.length) + " bytes";
                    break;
                }
            }
        }
        return false;
    }
    return true;
}

void ReleaseToolModel(Md2Model* model) { ReleaseMd2Model(model); }

bool OpenToolModel(const std::string& path, std::vector<std::uint8_t>* bytes, Md2FileView* view, Md2Model* model,
                   std::string* error) {
    std::string why;
    if (ReadFileBytes(path, bytes, &why)) {
        if (OpenMd2View(bytes->data(), bytes->size(), view, &why) &&
            LoadModelForTool(bytes->data(), bytes->size(), model, &why)) {
            return true;
        }
        why = path + ": " + why;
    }
    *error = why;  // the file's own messages name it already
    return false;
}
