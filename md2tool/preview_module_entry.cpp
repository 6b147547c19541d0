// The preview module's one entry point (see preview_module.h).
#include "md2tool/preview_module.h"

extern "C" __attribute__((visibility("default"))) bool CorvaneRenderContactSheet(const PreviewGeometry& geometry,
                                                                                 const RgbaImage& skin,
                                                                                 const PreviewLayout& layout,
                                                                                 RgbaImage* sheet,
                                                                                 std::string* error) {
    return RenderContactSheet(geometry, skin, layout, sheet, error);
}

// Checked where the entry is looked up by name.
static_assert(std::is_same_v<decltype(&CorvaneRenderContactSheet), RenderContactSheetEntry>);
