// The choices of the export dialog, kept for the life of the loaded library
// and never saved. The dialog fills them; the writer reads them.
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
    std::int32_t totalFrames;                              // frames the export writes
    std::int32_t selectedAnimation;                        // list selection of the dialog
};

// The plug-in's single settings record, at its defaults until changed.
ExportSettings* CurrentExportSettings();

// Puts every setting back to its default: skin 256 x 256, the directory
// "models/weapons2/", no frames, animation 0.
void ResetExportSettings();
