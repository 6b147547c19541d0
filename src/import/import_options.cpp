#include "import/import_options.h"

#include "host_api/host_ops.h"
#include "host_api/host_requests.h"
#include "import/import_dialog.h"
#include "import/scene_builder.h"
#include "res/dialog_ids.h"

namespace {

int Import(HostScene* scene, void* instance, Md2Model* model) {
    if (scene == nullptr || instance == nullptr) {
        return kAnswerFailed;
    }
    const int ended = PlatformRunDialog(instance, IDD_IMPORT, GetParentWindow(scene), ImportDialogProcedure, model);
    if (!DialogConfirmed(ended)) {
        return kAnswerCancelled;
    }
    return BuildImportedFrame(scene, model) ? kAnswerDone : kAnswerFailed;
}

}  // namespace

int ImportOptions(HostScene* scene, void* instance, Md2Model* model) {
    if (model == nullptr) {
        return kAnswerFailed;
    }
    const int answer = Import(scene, instance, model);
    ReleaseMd2Model(model);
    return answer;
}
