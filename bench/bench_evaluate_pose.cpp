// Speed of pose evaluation on a large rigged mesh: 2048 vertices, 4096
// triangles, 32 bones, 2 weights per vertex. Each iteration evaluates one
// frame (skeleton, skinning, face and vertex normals), cycling through the
// animation's frames: from the host records, and with the skin and mesh
// layouts the export takes once per file.
#include <benchmark/benchmark.h>

#include "anim/frame_sampling.h"
#include "anim/mesh_topology.h"
#include "anim/pose_arrays.h"
#include "anim/pose_evaluation.h"
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
    if (!AllocBonePoses(host) || !AllocPosedVertices(host)) {
        state.SkipWithError("the rig did not allocate");
        RefSceneDestroy(scene);
        return;
    }
    if (layouts && (!BuildSkinLayout(host) || !BuildMeshTopology(host))) {
        state.SkipWithError("the layouts were not built");
    }
    InitBindPose();
    HostAnimation* animation = &host->animations.items[0];
    const int frames = AnimationFrameCount(animation);
    const float step = AnimationSampleStep(animation);
    int frame = 0;
    for (auto _ : state) {
        EvaluatePose(host, animation, AnimationSampleTime(step, frame));
        benchmark::DoNotOptimize(posedVertices.items);
        benchmark::ClobberMemory();
        frame = frame + 1 < frames ? frame + 1 : 0;
    }
    state.counters["vertices"] = posedVertices.count;
    state.counters["triangles"] = host->meshes.items[0].faceCount;
    // Time per vertex per frame: the iteration's time over its vertex count.
    state.counters["per_vertex"] = benchmark::Counter(static_cast<double>(posedVertices.count),
                                                      benchmark::Counter::kIsIterationInvariantRate |
                                                          benchmark::Counter::kInvert);
    FreeBonePoses();
    FreePosedVertices();
    RefSceneDestroy(scene);
}
void BM_EvaluatePose(benchmark::State& state) { EvaluatePoseBench(state, false); }
BENCHMARK(BM_EvaluatePose)->Unit(benchmark::kMicrosecond);

void BM_EvaluatePoseWithLayouts(benchmark::State& state) { EvaluatePoseBench(state, true); }
BENCHMARK(BM_EvaluatePoseWithLayouts)->Unit(benchmark::kMicrosecond);

}  // namespace
