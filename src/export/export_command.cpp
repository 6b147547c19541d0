#include "export/export_command.h"

#include <cstdint>
#include <cstring>

#include "anim/pose_state.h"
#include "export/export_dialog.h"
#include "export/export_state.h"
#include "export/export_target.h"
#include "export/export_writer.h"
#include "host_api/host_ops.h"
#include "host_api/host_requests.h"
#include "platform/platform.h"
#include "res/dialog_ids.h"
#include "scene/axis_conversion.h"
#include "util/format_text.h"
#include "util/text.h"

namespace {

// Messages are formatted into this many UTF-16 units, cut when longer.
constexpr int kMessageUnits = 256;
// Offending group names are held in this many bytes, cut when longer.
constexpr int kGroupNameBytes = 256;
// The most vertices, texture vertices and triangles the format can index.
constexpr int kFormatLimit = 32767;

constexpr char16_t kTooManyVertices[] =
    u"The MD2 file format does not support more than\n%d vertices.\n\nvertices found: %d\n";
constexpr char16_t kTooManyTriangles[] =
    u"The MD2 file format does not support more than\n%d triangles.\n\ntriangles found: %d\n";
constexpr char16_t kMaterialsPerFace[] =
    u"The MD2 file format does not support materials per face.\n\nVerify that your group faces are only "
    u"assigned one material.\nOffending group: %s\n\nContinue anyway?\n";

int ShowMessage(const char16_t* text, MessageBoxIcon icon, MessageBoxButtons buttons) {
    return PlatformMessageBox(PlatformFocusWindow(), text, u"Error", icon, buttons);
}

int ClampToInt(std::int64_t value) { return value > INT32_MAX ? INT32_MAX : static_cast<int>(value); }

// The format's limit exceeded: the message names the limit and what was
// found; the request is refused.
int RefuseCount(const char16_t* format, std::int64_t found) {
    char16_t text[kMessageUnits];
    FormatText(text, kMessageUnits, format, kFormatLimit, ClampToInt(found));
    ShowMessage(text, kIconInformation, kButtonsOk);
    return kAnswerCancelled;
}

std::int64_t CountTriangles(const HostScene* scene) {
    std::int64_t triangles = 0;
    for (int m = 0; m < scene->meshes.count; ++m) {
        const int faces = scene->meshes.items[m].faceCount;
        triangles += faces > 0 ? faces : 0;
    }
    return triangles;
}

// The 8-bit name of the last group, in scene order, whose faces use more
// than one material, cut to fit `name`; false when no group does.
bool LastOffendingGroup(const HostScene* scene, char (&name)[kGroupNameBytes]) {
    bool found = false;
    for (int g = 0; scene->groups.items != nullptr && g < scene->groups.count; ++g) {
        const HostGroup& group = scene->groups.items[g];
        if (group.materialCount > 1) {
            const std::size_t length = strnlen(group.name.narrow, kGroupNameBytes - 1);
            std::memcpy(name, group.name.narrow, length);
            name[length] = 0;
            found = true;
        }
    }
    return found;
}

// Answers true when the user chose to go on despite the offending group.
bool AcceptMaterialsPerFace(const char (&group)[kGroupNameBytes]) {
    char16_t name[kGroupNameBytes];
    const int length = static_cast<int>(std::strlen(group));
    if (ToWide(group, name, length + 1) == 0) {
        // Bytes the code page refuses (a name cut inside a character) still show.
        CrtNarrowToWide(group, name, kGroupNameBytes);
    }
    char16_t text[kMessageUnits];
    FormatText(text, kMessageUnits, kMaterialsPerFace, name);
    return ShowMessage(text, kIconError, kButtonsOkCancel) == kButtonOk;
}

}  // namespace

int ExportOptions(HostScene* scene, void* instance, void* renameInstance, ExportSettings* settings) {
    if (scene == nullptr || instance == nullptr || settings == nullptr) {
        return kAnswerFailed;
    }
    if (scene->meshes.items == nullptr || scene->vertices.items == nullptr) {
        ShowMessage(u"No geometry to export.\t", kIconError, kButtonsOk);
        return kAnswerCancelled;
    }
    if (Triangulate(scene) == 0) {
        ShowMessage(u"Failed to triangulate geometry.\t", kIconError, kButtonsOk);
        return kAnswerFailed;
    }
    PostTriangulate(scene, kHostNotify);

    // Every triangle corner becomes a texture vertex of its own; the host's
    // vertices are indexed by the same 16-bit fields.
    const std::int64_t triangles = CountTriangles(scene);
    if (3 * triangles > kFormatLimit) {
        return RefuseCount(kTooManyVertices, 3 * triangles);
    }
    if (triangles > kFormatLimit) {
        return RefuseCount(kTooManyTriangles, triangles);
    }
    if (scene->vertices.count > kFormatLimit) {
        return RefuseCount(kTooManyVertices, scene->vertices.count);
    }

    PreMaterialCheck(scene);
    char group[kGroupNameBytes] = {};
    if (LastOffendingGroup(scene, group) && !AcceptMaterialsPerFace(group)) {
        return kAnswerCancelled;
    }

    if (scene->animations.count > 0) {
        TextPair empty{};
        if (PreExportQuery(scene, &empty) == 0) {
            PreExportFallback(scene);
        }
    }

    ExportDialogContext context = {scene, settings, renameInstance, 0, 0};
    const int ended = PlatformRunDialog(instance, IDD_EXPORT, GetParentWindow(scene), ExportDialog, &context);
    return DialogConfirmed(ended) ? kAnswerDone : kAnswerCancelled;
}

int WriteExportFile(HostScene* scene, const ExportSettings* settings, int frameWorkers) {
    if (scene == nullptr || settings == nullptr) {
        return kAnswerFailed;
    }
    ExportTarget target;
    if (!OpenExportTarget(scene->filePath.wide, &target)) {
        TextPairFromWide(&scene->errorText, u"Could not open file for writing.");
        return kAnswerFailed;
    }
    ConvertSceneAxes(scene, kToModelAxes);
    ExportState state{};
    state.scene = scene;
    state.settings = settings;
    state.frameWorkers = frameWorkers;
    // The vertices, faces and bones stay as they are until the file is
    // written: the pose's layouts are taken once for every frame.
    StartPose(&state.pose, scene);
    const int written = WriteMd2(target.file, &state);
    const bool placed = FinishExportTarget(&target, written != 0);
    if (target.targetUnopened) {
        TextPairFromWide(&scene->errorText, u"Could not open file for writing.");
    }
    // The scene keeps the face normals of the last evaluated frame.
    StoreFaceNormals(&state.pose);
    ReleasePose(&state.pose);
    return placed ? written : kAnswerFailed;
}
