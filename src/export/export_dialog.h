// The export dialog (skin directory, skin size, animation names and frame
// counts) and the rename dialog it opens for one animation.
#pragma once

#include <cstdint>

#include "export/export_settings.h"
#include "host_api/host_records.h"
#include "platform/platform.h"

// What both dialogs work on, handed to them as their context.
struct ExportDialogContext {
    HostScene* scene;
    ExportSettings* settings;         // filled by the export dialog
    void* renameInstance;             // the module instance the rename dialog's template is loaded from
    std::int32_t totalFrames;         // the frames the export writes, as the dialog shows them
    std::int32_t selectedAnimation;   // the animation list's selection, which the rename dialog renames
};

// The export dialog's procedure: OK stores the directory and the skin size
// and ends it with 1, Cancel ends it with 2, Rename opens the rename dialog.
int ExportDialog(WindowHandle dialog, DialogEvent event, int commandId, void* context);
// The rename dialog's procedure: OK stores a name of 1 to 11 characters into
// the selected animation and ends it with 1, Cancel ends it with 2.
int RenameDialog(WindowHandle dialog, DialogEvent event, int commandId, void* context);

// Shows the settings, the animation count, the total frame count and one list
// entry per animation, and selects the chosen animation.
void FillExportDialog(WindowHandle dialog, const ExportDialogContext& context);
// Reads the width and height edits into the settings.
void ReadSkinSize(WindowHandle dialog, ExportSettings* settings);
// Reads the skin directory edit into the settings.
void ReadSkinDirectory(WindowHandle dialog, ExportSettings* settings);
// The skin size of the first material whose image loads, when both sides are
// above 0; otherwise the settings keep their size.
void TakeSkinSizeFromImage(HostScene* scene, ExportSettings* settings);
// Cuts every animation name longer than `limit` bytes to its first `limit`
// bytes (whole characters only) and rebuilds its UTF-16 form from them.
void ShortenAnimationNames(HostScene* scene, int limit);

// A skin size from its text: the leading decimal integer (blanks and a sign
// allowed before it, saturated to the int32 range); 256 for an empty text, a
// text without digits, and a value of 0 or less.
int SkinSizeFromText(const char16_t* text);
// The directory as stored: the text cut to 63 units, then a '/' appended when
// it is not empty and does not end in one. The slash always fits: a text that
// would need more room is cut further (never inside a surrogate pair).
// `out` has room for kLocalSkinDirectoryUnits units.
void SkinDirectoryFromText(const char16_t* text, char16_t* out);
