#include "import/import_dialog.h"

#include <cstring>

#include "import/skin_names.h"
#include "md2/md2_model.h"
#include "res/dialog_ids.h"
#include "util/center_window.h"
#include "util/format_text.h"
#include "util/text.h"

namespace {

// Units of a count's text.
constexpr int kNumberUnits = 256;
// The import dialog's Cancel ends it with 0, which the request takes as a
// cancel as it takes kButtonCancel.
constexpr int kImportCancelled = 0;

// A frame name in UTF-16: through the system code page, or character by
// character where the code page refuses the bytes.
void FrameNameToWide(const char* name, char16_t* out, int capacity) {
    int length = static_cast<int>(strnlen(name, kTextPairUnits - 1));
    if (ToWide(name, out, length + 1 < capacity ? length + 1 : capacity) == 0) {
        CrtNarrowToWide(name, out, static_cast<std::size_t>(capacity));
    }
}

}  // namespace

int FillImportDialog(WindowHandle dialog, const Md2Model& loaded) {
    if (!PlatformHasControl(dialog, IDC_FRAME_LIST) || !PlatformHasControl(dialog, IDC_SKIN_LIST)) {
        return 0;
    }
    const Md2Model* model = &loaded;
    PlatformListReset(dialog, IDC_FRAME_LIST);
    for (int i = 0; i < model->frameCount; ++i) {
        char16_t name[kTextPairUnits];
        FrameNameToWide(model->frames[i].name, name, kTextPairUnits);
        PlatformListAdd(dialog, IDC_FRAME_LIST, name);
    }
    PlatformListReset(dialog, IDC_SKIN_LIST);
    for (int i = 0; i < model->skinCount; ++i) {
        char16_t name[kTextPairUnits];
        SkinFileName(model->skins[i], name);
        PlatformListAdd(dialog, IDC_SKIN_LIST, name);
    }
    char16_t count[kNumberUnits];
    FormatText(count, kNumberUnits, u"%d", model->frameCount);
    PlatformSetControlText(dialog, IDC_FRAME_COUNT, count);
    FormatText(count, kNumberUnits, u"%d", model->skinCount);
    PlatformSetControlText(dialog, IDC_SKIN_COUNT, count);
    return 1;
}

void ReadFrameChoice(WindowHandle dialog, ImportRecord* record) {
    int count = PlatformListCount(dialog, IDC_FRAME_LIST);
    int chosen = 0;
    for (int i = 0; i < count; ++i) {
        if (PlatformListIsSelected(dialog, IDC_FRAME_LIST, i)) {
            chosen = i;
            break;
        }
    }
    record->selectedFrame = chosen;
}

int ImportDialogProcedure(WindowHandle dialog, DialogEvent event, int commandId, void* context) {
    ImportRecord* record = static_cast<ImportRecord*>(context);
    if (event == kDialogInit) {
        record->selectedFrame = 0;
        FillImportDialog(dialog, record->model);
        CenterWindow(dialog, PlatformDesktopWindow());
        return 1;
    }
    if (commandId == IDC_OK) {
        ReadFrameChoice(dialog, record);
        PlatformEndDialog(dialog, kButtonOk);
        return 1;
    }
    if (commandId == IDC_CANCEL) {
        PlatformEndDialog(dialog, kImportCancelled);
        return 1;
    }
    return 0;
}
