#include "import/import_options.h"

#include "host_api/host_ops.h"
#include "host_api/host_requests.h"
#include "import/import_dialog.h"
#include "import/scene_builder.h"
#include "res/dialog_ids.h"

namespace {

int Import(HostScene* scene, void* instance, ImportRecord* record) {
    if (scene == nullptr || instance == nullptr) {
        return kAnswerFailed;
    }
    const int ended = PlatformRunDialog(instance, IDD_IMPORT, GetParentWindow(scene), ImportDialogProcedure, record);
    if (!DialogConfirmed(ended)) {
        return kAnswerCancelled;
    }
    return BuildImportedFrame(scene, record) ? kAnswerDone : kAnswerFailed;
}

}  // namespace

int ImportOptions(HostScene* scene, void* instance, ImportRecord* record) {
    if (record == nullptr) {
        return kAnswerFailed;
    }
    const int answer = Import(scene, instance, record);
    ReleaseImportRecord(record);
    return answer;
}
