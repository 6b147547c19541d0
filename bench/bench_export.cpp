// Speed of the whole export on the largest model the format's reference
// engine takes (2048 vertices, 4096 triangles, 32 bones, 2 weights per
// vertex, 4 animations of 128 frames, one skin), through the plug-in's
// writer and through the literal baseline, which writes the same bytes.
// BM_ExportSpeedup measures both again, interleaved, and reports literal
// time / writer time: this machine's speed drifts over seconds, and
// interleaving puts both under the same drift.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/bench_scene.h"
#include "plugin/plugin_state.h"
#include "support/literal_export.h"
#include "anim/pose_state.h"
#include "export/export_command.h"
#include "export/export_state.h"
#include "export/export_writer.h"
#include "scene/axis_conversion.h"

namespace {

bool WriteWithWriter(HostScene* host) { return WriteExportFile(host, CurrentExportSettings()) == 1; }

// The writer's computation alone: what the write request does between
// opening the target file and placing it (the axes turned, the pose laid
// out, the bounds and every frame evaluated and encoded, the face normals
// stored), with the file's bytes going to /dev/null, where nothing is copied
// or flushed.
bool ComputeWithoutFile(HostScene* host) {
    std::FILE* sink = std::fopen("/dev/null", "wb");
    if (sink == nullptr) {
        return false;
    }
    ConvertSceneAxes(host, kToModelAxes);
    ExportState state{};
    state.scene = host;
    state.settings = CurrentExportSettings();
    StartPose(&state.pose, host);
    const int written = WriteMd2(sink, &state);
    StoreFaceNormals(&state.pose);
    ReleasePose(&state.pose);
    std::fclose(sink);
    return written == 1;
}

// One export of a freshly built scene (the export turns its axes in place);
// only the export is timed. Answers the seconds it took, or -1 on failure.
double TimeOneExport(const std::string& path, bool (*write)(HostScene*)) {
    RefScene* scene = BuildExportBenchScene(path);
    if (scene == nullptr) {
        return -1;
    }
    HostScene* host = RefSceneHost(scene);
    PrepareExport(host);
    const auto start = std::chrono::steady_clock::now();
    const bool written = write(host);
    const auto stop = std::chrono::steady_clock::now();
    RefSceneDestroy(scene);
    return written ? std::chrono::duration<double>(stop - start).count() : -1;
}

std::string BenchFile(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

void TimeExports(benchmark::State& state, const char* fileName, bool (*write)(HostScene*)) {
    const std::string path = BenchFile(fileName);
    for (auto _ : state) {
        const double seconds = TimeOneExport(path, write);
        if (seconds < 0) {
            state.SkipWithError("the export failed");
            break;
        }
        state.SetIterationTime(seconds);
    }
    std::error_code missing;
    const std::uintmax_t bytes = std::filesystem::file_size(path, missing);
    if (!missing) {
        state.counters["file_bytes"] = static_cast<double>(bytes);
    }
    std::filesystem::remove(path, missing);
}

void BM_ExportWriter(benchmark::State& state) { TimeExports(state, "corvane_bench_writer.md2", WriteWithWriter); }
BENCHMARK(BM_ExportWriter)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_ExportComputation(benchmark::State& state) {
    TimeExports(state, "corvane_bench_computation.md2", ComputeWithoutFile);
}
BENCHMARK(BM_ExportComputation)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_ExportLiteral(benchmark::State& state) {
    TimeExports(state, "corvane_bench_literal.md2", WriteLiteralExport);
}
BENCHMARK(BM_ExportLiteral)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Three rounds, each one literal export followed by writer exports for about
// as long; the ratio is of the mean times over all rounds.
void BM_ExportSpeedup(benchmark::State& state) {
    const std::string writerPath = BenchFile("corvane_bench_ratio_writer.md2");
    const std::string literalPath = BenchFile("corvane_bench_ratio_literal.md2");
    double writerTotal = 0;
    double literalTotal = 0;
    int writerRuns = 0;
    int literalRuns = 0;
    for (auto _ : state) {
        for (int round = 0; round < 3; ++round) {
            const double literal = TimeOneExport(literalPath, WriteLiteralExport);
            if (literal < 0) {
                state.SkipWithError("the literal export failed");
                return;
            }
            literalTotal += literal;
            ++literalRuns;
            for (double spent = 0; spent < literal;) {
                const double writer = TimeOneExport(writerPath, WriteWithWriter);
                if (writer < 0) {
                    state.SkipWithError("the export failed");
                    return;
                }
                spent += writer;
                writerTotal += writer;
                ++writerRuns;
            }
        }
    }
    std::error_code ignored;
    std::filesystem::remove(writerPath, ignored);
    std::filesystem::remove(literalPath, ignored);
    const double writerMean = writerTotal / writerRuns;
    const double literalMean = literalTotal / literalRuns;
    state.counters["writer_ms"] = writerMean * 1e3;
    state.counters["literal_ms"] = literalMean * 1e3;
    state.counters["ratio"] = literalMean / writerMean;
}
BENCHMARK(BM_ExportSpeedup)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
