// The whole export of a reference-host scene built from the fuzzer's bytes:
// the export-options request with its checks and a scripted user in the
// export and rename dialogs, then the write request into /dev/null. Every
// answer must be 0, 1 or 2, a write may follow only a confirmed dialog, and
// the plug-in may call no operation outside the interface.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "export/export_command.h"
#include "export/export_settings.h"
#include "export/frame_encoding.h"
#include "export/frame_plan.h"
#include "fuzz/scene_bytes.h"
#include "fuzz/scripted_user.h"
#include "host/call_log.h"

namespace {

// What the user does in the export dialog.
const char* const kScripts[] = {
    "press 1",
    "press 2",
    "press 3; type 1006 r\xc3\xa9sum\xc3\xa9_walk; press 1; press 1",
    "press 3; type 1006 \xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9; press 1; press 1",
    "type 1002 models/x; type 1000 -5; type 1001 abc; press 1",
    "press 3; press 2; select 112 7; press 3; type 1006 b; press 1; press 1",
};

// Frames times vertices above which an input is not worth the time it takes.
constexpr std::int64_t kMostFrameVertices = 1 << 14;

int ExportInput(RefScene* ref, const std::uint8_t* data, std::size_t size) {
    SceneChoices choices{};
    SceneFromBytes(ref, data, size, &choices);
    HostScene* scene = RefSceneHost(ref);
    SetUserScript(kScripts[choices.script % (sizeof(kScripts) / sizeof(kScripts[0]))]);

    ExportSettings settings = DefaultExportSettings();
    settings.skinWidth = choices.skinWidth;
    settings.skinHeight = choices.skinHeight;
    static int instance = 0;
    const int options = ExportOptions(scene, &instance, &instance, &settings);
    if (options < 0 || options > 2) {
        std::abort();
    }
    // The host's own calls in the export options restore any count the bytes
    // made negative, so the frames are counted as the write will see them.
    if (options == 1 && ExportFrameTotal(scene) * (ListCount(scene->vertices) + 1) > kMostFrameVertices) {
        return -1;
    }
    if (options == 1) {
        RefSetFilePath(ref, "/dev/null");
        const int written = WriteExportFile(scene, &settings);
        if (written != 0 && written != 1) {
            std::abort();
        }
    }
    if (!HostTrapCalls().empty()) {
        std::abort();
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One scene serves every input, emptied after each, so that an input
    // releases all it allocated (libFuzzer suspects a leak otherwise).
    static RefScene* const ref = RefSceneCreate();
    const int result = ExportInput(ref, data, size);
    RefSceneReset(ref);
    ClearHostCallLog();
    return result;
}
