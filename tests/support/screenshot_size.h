// Screenshots of the real dialogs under Wine: the bitmap must be the dialog
// window itself, its client area the template's size in dialog units turned
// into pixels with the dialog's own base units, plus a frame and a caption.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "support/transcript.h"

// Width and height from the BMP's info header; false when the file is not a
// whole 24-bit bitmap of that size.
inline bool ReadBitmapSize(const std::string& path, int* width, int* height) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    std::uint8_t header[54] = {};
    const bool read = std::fread(header, sizeof(header), 1, file) == 1;
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);
    auto i32 = [&](int at) {
        return static_cast<std::int32_t>(header[at] | header[at + 1] << 8 | header[at + 2] << 16 |
                                         static_cast<std::uint32_t>(header[at + 3]) << 24);
    };
    *width = i32(18);
    *height = i32(22);
    const long rowBytes = (static_cast<long>(*width) * 3 + 3) & ~3L;
    return read && header[0] == 'B' && header[1] == 'M' && header[28] == 24 && *width > 0 && *height > 0 &&
           size == 54 + rowBytes * *height;
}

// The screenshot at `path` shows a dialog of widthUnits x heightUnits dialog
// units, laid out with the base units the dialog reported.
inline void ExpectDialogScreenshot(const std::string& path, const SeenDialog& dialog, int widthUnits, int heightUnits) {
    int width = 0;
    int height = 0;
    ASSERT_TRUE(ReadBitmapSize(path, &width, &height)) << path;
    ASSERT_GT(dialog.unitsX, 0);
    ASSERT_GT(dialog.unitsY, 0);
    const int clientWidth = (widthUnits * dialog.unitsX + 2) / 4;
    const int clientHeight = (heightUnits * dialog.unitsY + 4) / 8;
    // A modal frame adds a few pixels on each side, the caption a title bar's height.
    EXPECT_GE(width, clientWidth) << path;
    EXPECT_LE(width, clientWidth + 16) << path;
    EXPECT_GE(height, clientHeight + 12) << path;
    EXPECT_LE(height, clientHeight + 48) << path;
}
