// Decoding speed of the MD2 reader on a large generated model held in memory:
// 2048 vertices x 1000 frames, about 8 MB.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "md2/md2_model.h"
#include "md2/md2_reader.h"
#include "support/md2_builder.h"

namespace {

void BM_ParseMd2(benchmark::State& state) {
    const std::vector<std::uint8_t> file = BuildMd2File(MakeSampleMd2Model(2, 2048, 4000, 1000));
    for (auto _ : state) {
        ReadCursor cursor{file.data(), 0, static_cast<std::uint32_t>(file.size())};
        if (ParseMd2(&cursor, nullptr) != 1) {
            state.SkipWithError("the generated file did not read");
            break;
        }
        benchmark::DoNotOptimize(CurrentMd2Model()->frames);
        benchmark::ClobberMemory();
    }
    ReleaseMd2Model();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(file.size()));
    state.counters["file_MB"] = static_cast<double>(file.size()) / 1e6;
}
BENCHMARK(BM_ParseMd2)->Unit(benchmark::kMillisecond);

}  // namespace
