// Cost of choosing a vertex's normal index: NormalIndex one at a time and
// NormalIndices four at a time (as the export does) against a literal scan
// that takes the arc cosine of every one of the 162 table entries.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "md2/normal_index.h"
#include "support/literal_normal_index.h"

namespace {

template <int (*Choose)(const Vector3&)>
void BM_Choose(benchmark::State& state) {
    std::mt19937 random(12345u);
    std::vector<Vector3> normals(4096);
    for (Vector3& n : normals) {
        n = RandomUnitNormal(random);
    }
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Choose(normals[next]));
        next = (next + 1) & 4095;
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

BENCHMARK_TEMPLATE(BM_Choose, NormalIndex)->Name("BM_NormalIndex");

// A frame's worth of normals (2048) per iteration, four at a time.
void BM_NormalIndices(benchmark::State& state) {
    std::mt19937 random(12345u);
    std::vector<Vector3> normals(2048);
    for (Vector3& n : normals) {
        n = RandomUnitNormal(random);
    }
    std::vector<std::uint8_t> indices(normals.size());
    for (auto _ : state) {
        NormalIndices(normals.data(), sizeof(Vector3), static_cast<int>(normals.size()), indices.data());
        benchmark::DoNotOptimize(indices.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(normals.size()));
}
BENCHMARK(BM_NormalIndices);
BENCHMARK_TEMPLATE(BM_Choose, BruteForceNormalIndex)->Name("BM_NormalIndexLiteralScan");

}  // namespace
