// corvane-md2 on the largest model the engine takes: 2048 vertices, 4096
// triangles, 512 frames (a closed 64 x 32 grid, as a body's surface is,
// with one texture coordinate per vertex). BM_Md2ToolCheck runs every check
// and the plug-in's reader over the file in memory; BM_Md2ToolGlCommands
// builds the strips and fans and lays out the rewritten file in memory;
// BM_Md2ToolGlCommandsFile does the whole command, file read and replaced.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "md2tool/glcmd_rewrite.h"
#include "md2tool/md2_check.h"
#include "support/md2_builder.h"

namespace {

Md2BuilderModel LargestEngineModel() {
    constexpr int kAround = 64;
    constexpr int kAlong = 32;
    Md2BuilderModel model;
    model.skinWidth = 256;
    model.skinHeight = 256;
    model.vertexCount = kAround * kAlong;
    model.skins.push_back("models/monsters/beast/skin.pcx");
    for (int v = 0; v < model.vertexCount; ++v) {
        model.texCoords.push_back({static_cast<std::int16_t>(v % kAround * 4), static_cast<std::int16_t>(v / kAround * 8)});
    }
    auto at = [](int i, int j) { return static_cast<std::int16_t>((j % kAlong) * kAround + i % kAround); };
    for (int j = 0; j < kAlong; ++j) {
        for (int i = 0; i < kAround; ++i) {
            const std::int16_t a = at(i, j), b = at(i + 1, j), c = at(i, j + 1), d = at(i + 1, j + 1);
            model.triangles.push_back({a, c, b, a, c, b});
            model.triangles.push_back({b, c, d, b, c, d});
        }
    }
    for (int f = 0; f < 512; ++f) {
        Md2BuilderFrame frame;
        frame.name = "run" + std::to_string(f + 1);
        for (int v = 0; v < model.vertexCount; ++v) {
            frame.vertices.push_back({static_cast<std::uint8_t>(v * 7 + f), static_cast<std::uint8_t>(v * 13),
                                      static_cast<std::uint8_t>(v / 8 + f), static_cast<std::uint8_t>(v % 162)});
        }
        model.frames.push_back(frame);
    }
    return model;
}

const std::vector<std::uint8_t>& LargestFile() {
    static const std::vector<std::uint8_t> file = BuildMd2File(LargestEngineModel());
    return file;
}

void BM_Md2ToolCheck(benchmark::State& state) {
    const std::vector<std::uint8_t>& file = LargestFile();
    for (auto _ : state) {
        Md2CheckResult result = CheckMd2Bytes(file.data(), file.size());
        benchmark::DoNotOptimize(result.findings.data());
    }
    state.counters["file_MB"] = static_cast<double>(file.size()) / 1e6;
}
BENCHMARK(BM_Md2ToolCheck)->Unit(benchmark::kMillisecond);

void BM_Md2ToolGlCommands(benchmark::State& state) {
    const std::vector<std::uint8_t>& file = LargestFile();
    GlRewriteStats stats{};
    for (auto _ : state) {
        std::vector<std::uint8_t> out;
        std::string error;
        if (!AddGlCommands(file, &out, &stats, &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["words"] = stats.words;
    state.counters["runs"] = stats.runs.strips + stats.runs.fans;
}
BENCHMARK(BM_Md2ToolGlCommands)->Unit(benchmark::kMillisecond);

void BM_Md2ToolGlCommandsFile(benchmark::State& state) {
    const std::string path = (std::filesystem::temp_directory_path() / "corvane-bench-glcmds.md2").string();
    for (auto _ : state) {
        state.PauseTiming();
        WriteBinaryFile(path, LargestFile());
        state.ResumeTiming();
        GlRewriteStats stats{};
        std::string error;
        if (!RewriteWithGlCommands(path, path, &stats, &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_Md2ToolGlCommandsFile)->Unit(benchmark::kMillisecond);

}  // namespace
