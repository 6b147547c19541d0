// Cost of choosing a vertex's normal index: NormalIndex against a literal
// scan that takes the arc cosine of every one of the 162 table entries.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "md2/frame_encoding.h"
#include "bench/literal_normal_index.h"

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
BENCHMARK_TEMPLATE(BM_Choose, BruteForceNormalIndex)->Name("BM_NormalIndexLiteralScan");

}  // namespace
