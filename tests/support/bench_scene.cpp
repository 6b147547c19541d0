#include "support/bench_scene.h"

#include "anim/frame_sampling.h"
#include "export/export_settings.h"
#include "export/frame_encoding.h"
#include "export/frame_plan.h"
#include "plugin/plugin_state.h"
#include "host/large_rig.h"

RefScene* BuildExportBenchScene(const std::string& path, int vertices, int bones, int framesPerAnimation) {
    RefScene* scene = BuildBenchmarkScene(vertices, bones, framesPerAnimation);
    if (scene != nullptr) {
        RefSetFilePath(scene, path);
    }
    return scene;
}

void PrepareExport(HostScene*) { ResetExportSettings(); }
