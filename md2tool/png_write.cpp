// PNG output through stb_image_write, into memory first so that the file
// appears whole or not at all.
#include <stb_image_write.h>

#include "md2tool/rgba_image.h"
#include "md2tool/tool_files.h"

namespace {

void AppendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

bool EncodePng(const RgbaImage& image, std::vector<std::uint8_t>* png) {
    png->clear();
    return image.width > 0 && image.height > 0 &&
           stbi_write_png_to_func(AppendBytes, png, image.width, image.height, 4, image.pixels.data(),
                                  image.width * 4) != 0;
}

bool WritePng(const std::string& path, const RgbaImage& image, std::string* error) {
    std::vector<std::uint8_t> png;
    if (!EncodePng(image, &png)) {
        *error = "the PNG could not be encoded";
        return false;
    }
    return WriteFileReplacing(path, png, {}, error);
}
