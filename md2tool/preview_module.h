// The preview's renderer lives in a module beside corvane-md2
// (libcorvane-md2-preview.so, with OSMesa and LLVM behind it), loaded on the
// first preview, so that the other commands start without loading them.
#pragma once

#include <string>

#include "md2tool/preview_render.h"

inline constexpr const char* kPreviewModuleFile = "libcorvane-md2-preview.so";
inline constexpr const char* kPreviewModuleEntry = "CorvaneRenderContactSheet";
using RenderContactSheetEntry = bool (*)(const PreviewGeometry& geometry, const RgbaImage& skin,
                                         const PreviewLayout& layout, RgbaImage* sheet, std::string* error);

// RenderContactSheet through the module; false, with the reason, when the
// module cannot be loaded.
bool RenderContactSheetInModule(const PreviewGeometry& geometry, const RgbaImage& skin, const PreviewLayout& layout,
                                RgbaImage* sheet, std::string* error);
