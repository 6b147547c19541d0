#include "import/import_options.h"

#include "import/import_dialog.h"
#include "import/scene_builder.h"
#include "md2/md2_model.h"
#include "plugin/host_ops.h"
#include "res/dialog_ids.h"

int ImportOptions(HostScene* scene, void* instance) {
    if (scene == nullptr || instance == nullptr) {
        ReleaseMd2Model();
        return 0;
    }
    int ended = PlatformRunDialog(instance, IDD_IMPORT, GetParentWindow(scene), ImportDialogProcedure, nullptr);
    if (ended == 0 || ended == 2 || ended == -1) {
        ReleaseMd2Model();
        return 2;
    }
    int built = BuildImportedFrame(scene);
    ReleaseMd2Model();
    return built ? 1 : 0;
}
