// The user's choices in the export dialog. The plug-in keeps one record for
// the life of the loaded library and never saves it; the dialog fills it and
// the writer reads it.
#pragma once

#include <cstdint>

// Units of the local skin directory, terminator included.
inline constexpr int kLocalSkinDirectoryUnits = 64;

// Animation names are cut to this many characters: with a frame number of up
// to four digits the frame name then fills the 16-byte name field.
inline constexpr int maxAnimationNameLength = 11;

struct ExportSettings {
    std::int32_t skinWidth;                                // texels; divisor of s
    std::int32_t skinHeight;                               // texels; divisor of t
    char16_t localSkinDirectory[kLocalSkinDirectoryUnits];  // written in front of every skin name
};

inline constexpr char16_t kDefaultSkinDirectory[] = u"models/weapons2/";
static_assert(sizeof(kDefaultSkinDirectory) / sizeof(char16_t) <= kLocalSkinDirectoryUnits);

// Every setting at its default: skin 256 x 256, the directory
// "models/weapons2/".
constexpr ExportSettings DefaultExportSettings() {
    ExportSettings settings{};
    settings.skinWidth = 256;
    settings.skinHeight = 256;
    for (int i = 0; kDefaultSkinDirectory[i] != 0; ++i) {
        settings.localSkinDirectory[i] = kDefaultSkinDirectory[i];
    }
    return settings;
}
