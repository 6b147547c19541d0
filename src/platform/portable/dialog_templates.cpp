#include "platform/portable/dialog_templates.h"

#include "res/dialog_ids.h"

namespace {

const PortableControlTemplate kImportControls[] = {
    {IDC_OK, kControlButton, u"Import", 170, 20, 50, 14, false},
    {IDC_CANCEL, kControlButton, u"Cancel", 170, 40, 50, 14, false},
    {-1, kControlStatic, u"Frames:", 5, 10, 25, 10, false},
    {IDC_FRAME_COUNT, kControlStatic, u"0", 35, 10, 125, 10, false},
    {IDC_FRAME_LIST, kControlList, u"", 5, 20, 155, 115, false},
    {-1, kControlStatic, u"Skins:", 5, 145, 20, 8, false},
    {IDC_SKIN_COUNT, kControlStatic, u"0", 30, 145, 120, 8, false},
    {IDC_SKIN_LIST, kControlList, u"", 5, 155, 155, 40, true},
};

const PortableControlTemplate kExportControls[] = {
    {IDC_OK, kControlButton, u"OK", 175, 10, 50, 14, false},
    {IDC_CANCEL, kControlButton, u"Cancel", 175, 27, 50, 14, false},
    {-1, kControlButton, u"Directory Options", 5, 5, 165, 90, false},
    {-1, kControlStatic, u"Local skin directory:", 15, 20, 105, 8, false},
    {IDC_SKIN_DIRECTORY, kControlEdit, u"", 15, 30, 145, 12, false},
    {-1, kControlStatic, u"Note: All paths are limited to 64 characters.", 15, 50, 145, 8, false},
    {-1, kControlStatic, u"Use forward slashes.", 35, 60, 95, 8, false},
    {-1, kControlStatic, u"Do not include the filename.", 35, 70, 95, 8, false},
    {-1, kControlStatic, u"ex: models/weapons2/gauntlet/", 35, 80, 110, 8, false},
    {-1, kControlButton, u"Skin Options", 5, 100, 165, 50, false},
    {-1, kControlStatic, u"width:", 10, 118, 25, 8, false},
    {-1, kControlStatic, u"height:", 10, 131, 25, 8, false},
    {IDC_SKIN_WIDTH, kControlEdit, u"", 40, 115, 45, 12, false},
    {IDC_SKIN_HEIGHT, kControlEdit, u"", 40, 130, 45, 12, false},
    {IDC_ANIMATION_LIST, kControlList, u"", 5, 180, 165, 90, false},
    {-1, kControlStatic, u"Animations:", 5, 160, 35, 8, false},
    {IDC_ANIMATION_COUNT, kControlStatic, u"0", 45, 160, 115, 8, false},
    {-1, kControlStatic, u"Total Frames:", 5, 170, 45, 8, false},
    {IDC_TOTAL_FRAMES, kControlStatic, u"0", 50, 170, 110, 8, false},
    {IDC_RENAME, kControlButton, u"Rename", 175, 180, 50, 14, false},
};

const PortableControlTemplate kRenameControls[] = {
    {IDC_OK, kControlButton, u"OK", 130, 10, 50, 14, false},
    {IDC_CANCEL, kControlButton, u"Cancel", 130, 27, 50, 14, false},
    {IDC_NEW_NAME, kControlEdit, u"", 10, 20, 105, 12, false},
    {-1, kControlButton, u"Name", 0, 5, 125, 40, false},
};

template <int N>
constexpr int Count(const PortableControlTemplate (&)[N]) {
    return N;
}

const PortableDialogTemplate kTemplates[] = {
    {IDD_IMPORT, u"Import Quake 2 Model", 227, 206, kImportControls, Count(kImportControls)},
    {IDD_EXPORT, u"Export Quake 2 Model", 232, 275, kExportControls, Count(kExportControls)},
    {IDD_RENAME, u"Rename Animation", 187, 50, kRenameControls, Count(kRenameControls)},
};

}  // namespace

const PortableDialogTemplate* FindPortableTemplate(int templateId) {
    for (const PortableDialogTemplate& t : kTemplates) {
        if (t.id == templateId) {
            return &t;
        }
    }
    return nullptr;
}
