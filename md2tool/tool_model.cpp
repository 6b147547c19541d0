#include "md2tool/tool_model.h"

#include "md2/md2_parse.h"
#include "md2/read_cursor.h"

bool LoadModelForTool(const std::uint8_t* bytes, std::size_t length, Md2Model* model, std::string* error) {
    *model = Md2Model{};
    if (length > 0x7FFFFFFF) {
        *error = "the reader takes files below 2 GiB";
        return false;
    }
    ReadCursor cursor{bytes, 0, static_cast<std::uint32_t>(length)};
    const int result = ParseMd2(&cursor, model, nullptr);
    if (result != 1) {
        *error = result == 3 ? "the reader finds no MD2 file" : "the reader refuses the file";
        return false;
    }
    return true;
}

void ReleaseToolModel(Md2Model* model) { ReleaseMd2Model(model); }
