// Speed of the whole export on the largest model the format's reference
// engine takes (2048 vertices, 4096 triangles, 32 bones, 2 weights per
// vertex, 4 animations of 128 frames, one skin), through the plug-in's
// writer and through the straightforward reference writer that produces the
// same bytes. The last benchmark reports reference time / writer time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "export/export_command.h"
#include "bench/bench_scene.h"
#include "bench/literal_export.h"

namespace {

std::string BenchFile(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

// Mean seconds per export of each writer, kept for the ratio.
double realSeconds = 0;
double literalSeconds = 0;

// The scene is built fresh for every export (the export turns its axes in
// place); building it is not timed.
template <typename Write>
void TimeExport(benchmark::State& state, const char* fileName, Write write, double* meanSeconds) {
    const std::string path = BenchFile(fileName);
    double total = 0;
    std::int64_t exports = 0;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        RefScene* scene = BuildExportBenchScene(path);
        HostScene* host = RefSceneHost(scene);
        PrepareExport(host);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const bool written = write(host, path);
        const auto stop = std::chrono::steady_clock::now();
        state.PauseTiming();
        total += std::chrono::duration<double>(stop - start).count();
        ++exports;
        RefSceneDestroy(scene);
        if (!written) {
            state.SkipWithError("the export failed");
            state.ResumeTiming();
            break;
        }
        bytes = static_cast<std::int64_t>(std::filesystem::file_size(path));
        state.ResumeTiming();
    }
    *meanSeconds = exports > 0 ? total / static_cast<double>(exports) : 0;
    state.counters["file_bytes"] = static_cast<double>(bytes);
    std::filesystem::remove(path);
}

void BM_ExportWriter(benchmark::State& state) {
    TimeExport(
        state, "corvane_bench_writer.md2",
        [](HostScene* host, const std::string&) { return WriteExportFile(host) == 1; }, &realSeconds);
}
BENCHMARK(BM_ExportWriter)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_ExportLiteral(benchmark::State& state) {
    TimeExport(
        state, "corvane_bench_literal.md2", [](HostScene* host, const std::string&) { return WriteLiteralExport(host); },
        &literalSeconds);
}
BENCHMARK(BM_ExportLiteral)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Runs after both: reference time over writer time, from this run.
void BM_ExportSpeedup(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(realSeconds);
    }
    if (realSeconds <= 0 || literalSeconds <= 0) {
        state.SkipWithError("run BM_ExportWriter and BM_ExportLiteral first");
        return;
    }
    state.counters["writer_ms"] = realSeconds * 1e3;
    state.counters["literal_ms"] = literalSeconds * 1e3;
    state.counters["ratio"] = literalSeconds / realSeconds;
}
BENCHMARK(BM_ExportSpeedup)->Iterations(1);

}  // namespace
