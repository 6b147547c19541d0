// The whole import: the MD2 reader on the fuzzer's bytes (after a first byte
// that picks the frame), then the import-options request with a scripted user
// who picks that frame, building it into a reference-host scene. Every
// answer must be 0, 1, 2 or 3, a built scene holds one vertex per model
// vertex and one face per triangle, and the plug-in may call no operation
// outside the interface.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/scripted_user.h"
#include "host/call_log.h"
#include "host/ref_scene.h"
#include "import/import_options.h"
#include "import/read_request.h"
#include "md2/md2_model.h"
#include "md2/md2_parse.h"
#include "res/dialog_ids.h"

namespace {

int ImportInput(RefScene* ref, const std::uint8_t* data, std::size_t size) {
    HostScene* scene = RefSceneHost(ref);
    const int frame = data[0];
    ReadCursor cursor{data + 1, 0, static_cast<std::uint32_t>(size - 1)};
    ImportRecord record{};
    Md2Model& model = record.model;
    const int read = ReadAnswer(ParseMd2(&cursor, &model), &scene->errorText);
    if (read != 1) {
        if (read != 0 && read != 3) {
            std::abort();
        }
        return 0;
    }
    const int vertices = model.frames[0].vertexCount;
    const int triangles = model.triangleCount;
    // A frame beyond the list leaves the selection where it was.
    const std::string steps = "select " + std::to_string(IDC_FRAME_LIST) + " " + std::to_string(frame) + ";press " +
                              std::to_string(IDC_OK);
    SetUserScript(steps.c_str());
    static int instance = 0;
    const int answer = ImportOptions(scene, &instance, &record);
    if (answer == 1 && (ListCount(scene->vertices) != vertices || ListCount(scene->meshes) != 1 ||
                        scene->meshes.items[0].faceCount != triangles)) {
        std::abort();
    }
    if (answer < 0 || answer > 2 || !HostTrapCalls().empty()) {
        std::abort();
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size >= 0x80000000u) {
        return -1;
    }
    // One scene serves every input, emptied after each, so that an input
    // releases all it allocated (libFuzzer suspects a leak otherwise).
    static RefScene* const ref = RefSceneCreate();
    const int result = ImportInput(ref, data, size);
    RefSceneReset(ref);
    ClearHostCallLog();
    return result;
}
