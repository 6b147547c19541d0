#include "support/bench_scene.h"

#include "anim/frame_sampling.h"
#include "export/export_settings.h"
#include "export/frame_encoding.h"
#include "plugin/plugin_state.h"
#include "support/rig_builder.h"

RefScene* BuildExportBenchScene(const std::string& path, int vertices, int bones, int framesPerAnimation) {
    LargeRigSetup setup;
    setup.vertices = vertices;
    setup.bones = bones;
    setup.animations = 4;
    setup.frameRate = 30;
    // Half a frame short of the last whole frame: ceil(end x rate) is the count.
    setup.end = (static_cast<float>(framesPerAnimation) - 0.5f) / 30.0f;
    RefScene* scene = BuildLargeRig(setup);
    if (scene != nullptr) {
        RefAddMaterial(scene, "skin", "textures/skin.pcx");
        RefSetFilePath(scene, path);
    }
    return scene;
}

void PrepareExport(HostScene* scene) {
    ResetExportSettings();
    CurrentExportSettings()->totalFrames = static_cast<std::int32_t>(ExportFrameTotal(scene));
    SetCurrentScene(scene);
}
