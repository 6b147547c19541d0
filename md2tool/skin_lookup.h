// Where a model's skin images are: by the file name of the skin path the
// model gives, beside the model file, or by the same name with another of
// the readable extensions (PCX, TGA, PNG).
#pragma once

#include <string>

#include "md2tool/md2_file_view.h"

// The image of skin `index` beside `modelPath` (UTF-8), or "" when there is none.
std::string FindSkinBeside(const Md2FileView& view, int index, const std::string& modelPath);

// The skin's name as the file gives it (up to its first NUL).
std::string SkinNameOf(const Md2FileView& view, int index);
