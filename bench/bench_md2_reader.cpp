// Speed of the MD2 reader on a large generated model, 2048 vertices x 1000
// frames, about 8 MB: decoding it from memory (the model keeps a copy of the
// frames), and loading it from a file as the import does (the file mapped and
// decoded in place, so that only each frame's header is read; positions are
// decoded only for the frame the import builds). BM_LoadMd2File loads with
// the C library's default thresholds, as a process that imports once;
// BM_LoadMd2FileWarmHeap loads with the C library told to keep its memory, as
// a long-running host does once it has imported before.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <malloc.h>
#include <vector>

#include "host/ref_scene.h"
#include "plugin/plugin_state.h"

#include "md2/md2_model.h"
#include "md2/md2_parse.h"
#include "import/read_request.h"
#include "support/md2_builder.h"

namespace {

void BM_ParseMd2(benchmark::State& state) {
    const std::vector<std::uint8_t> file = BuildMd2File(MakeSampleMd2Model(2, 2048, 4000, 1000));
    for (auto _ : state) {
        ReadCursor cursor{file.data(), 0, static_cast<std::uint32_t>(file.size())};
        if (ParseMd2(&cursor, &CurrentImport()->model) != Md2ParseResult::kLoaded) {
            state.SkipWithError("the generated file did not read");
            break;
        }
        benchmark::DoNotOptimize(CurrentImport()->model.frames);
        benchmark::ClobberMemory();
    }
    ReleaseImportRecord(CurrentImport());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(file.size()));
    state.counters["file_MB"] = static_cast<double>(file.size()) / 1e6;
}
BENCHMARK(BM_ParseMd2)->Unit(benchmark::kMillisecond);

void LoadFileBench(benchmark::State& state) {
    const std::vector<std::uint8_t> file = BuildMd2File(MakeSampleMd2Model(2, 2048, 4000, 1000));
    const std::string path = (std::filesystem::temp_directory_path() / "corvane_bench_reader.md2").string();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    const bool written = out != nullptr && std::fwrite(file.data(), file.size(), 1, out) == 1;
    if (out != nullptr) {
        std::fclose(out);
    }
    RefScene* scene = RefSceneCreate();
    RefSetFilePath(scene, path);
    for (auto _ : state) {
        if (!written || LoadMd2File(RefSceneHost(scene), CurrentImport()) != 1) {
            state.SkipWithError("the generated file did not load");
            break;
        }
        benchmark::DoNotOptimize(CurrentImport()->model.frames);
        benchmark::ClobberMemory();
    }
    ReleaseImportRecord(CurrentImport());
    RefSceneDestroy(scene);
    std::filesystem::remove(path);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(file.size()));
}

// The C library's default thresholds set explicitly, which also stops it
// raising them after the first free: every buffer of 128 KiB or more is
// mapped afresh and returned at once, as in a process that imports once.
void BM_LoadMd2File(benchmark::State& state) {
    mallopt(M_TRIM_THRESHOLD, 128 << 10);
    mallopt(M_MMAP_THRESHOLD, 128 << 10);
    LoadFileBench(state);
}
BENCHMARK(BM_LoadMd2File)->Unit(benchmark::kMillisecond);

void BM_LoadMd2FileWarmHeap(benchmark::State& state) {
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    LoadFileBench(state);
    // Back to the library's fixed defaults for the benchmarks that follow.
    mallopt(M_TRIM_THRESHOLD, 128 << 10);
    mallopt(M_MMAP_THRESHOLD, 128 << 10);
}
BENCHMARK(BM_LoadMd2FileWarmHeap)->Unit(benchmark::kMillisecond);

}  // namespace
