// Speed of pose evaluation on a large rigged mesh: 2048 vertices, 4096
// triangles, 32 bones, 2 weights per vertex. Each iteration evaluates one
// frame (skeleton, skinning, face and vertex normals), cycling through the
// animation's frames: from the host records, and with the skin and mesh
// layouts the export takes once per file.
#include <benchmark/benchmark.h>

#include "anim/frame_sampling.h"
#include "anim/mesh_topology.h"
#include "anim/pose_evaluation.h"
#include "anim/pose_state.h"
#include "anim/skin_layout.h"
// The benchmark program gathers only bench/ sources, so the tests' rig
// builder is compiled in here.
#include "support/rig_builder.h"

namespace {

void EvaluatePoseBench(benchmark::State& state, bool layouts) {
    LargeRigSetup setup;
    setup.vertices = 2048;
    setup.bones = 32;
    RefScene* scene = BuildLargeRig(setup);
    HostScene* host = RefSceneHost(scene);
    PoseState pose_{};
    if (!AllocBonePoses(&pose_, host) || !AllocPosedVertices(&pose_, host)) {
        state.SkipWithError("the rig did not allocate");
        RefSceneDestroy(scene);
        return;
    }
    if (layouts && (!BuildSkinLayout(&pose_, host) || !BuildMeshTopology(&pose_, host))) {
        state.SkipWithError("the layouts were not built");
    }
    InitBindPose(&pose_);
    HostAnimation* animation = &host->animations.items[0];
    const int frames = AnimationFrameCount(animation);
    const float step = AnimationSampleStep(animation);
    int frame = 0;
    for (auto _ : state) {
        EvaluatePose(&pose_, host, animation, AnimationSampleTime(step, frame));
        benchmark::DoNotOptimize(pose_.posedVertices.items);
        benchmark::ClobberMemory();
        frame = frame + 1 < frames ? frame + 1 : 0;
    }
    state.counters["vertices"] = pose_.posedVertices.count;
    state.counters["triangles"] = host->meshes.items[0].faceCount;
    // Time per vertex per frame: the iteration's time over its vertex count.
    state.counters["per_vertex"] = benchmark::Counter(static_cast<double>(pose_.posedVertices.count),
                                                      benchmark::Counter::kIsIterationInvariantRate |
                                                          benchmark::Counter::kInvert);
    ReleasePose(&pose_);
    RefSceneDestroy(scene);
}
void BM_EvaluatePose(benchmark::State& state) { EvaluatePoseBench(state, false); }
BENCHMARK(BM_EvaluatePose)->Unit(benchmark::kMicrosecond);

void BM_EvaluatePoseWithLayouts(benchmark::State& state) { EvaluatePoseBench(state, true); }
BENCHMARK(BM_EvaluatePoseWithLayouts)->Unit(benchmark::kMicrosecond);

}  // namespace
