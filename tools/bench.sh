#!/usr/bin/env bash
# Speed and memory figures: builds the optimised benchmark programs, runs
# every benchmark (the export of the largest Quake 2 model through the writer
# and through the literal baseline, with their ratio; the reader; EvaluatePose;
# NormalIndex), then reads the peak memory of one export of that model with
# /usr/bin/time -v, times the write request of the benchmark export through
# corvane-host (and through corvane-host.exe and the DLL under Wine when the
# native preset has built them), the whole-process conversion of published
# rigged models, and the whole-process import of a large MD2 file against
# `assimp info` (and under Wine when the Windows build is there), and the
# whole-process MD2 to glTF conversion against `assimp export`. Arguments go
# to the benchmark program (for example --benchmark_filter=Export).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$(nproc)"
build/bench/bin/corvane_bench "$@"

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
echo
echo "Peak memory (maximum resident set size) of one run of corvane_export_once:"
for mode in none writer literal; do
  kb=$( { /usr/bin/time -v build/bench/bin/corvane_export_once "$mode" "$out/model.md2" >/dev/null; } 2>&1 |
        sed -n 's/.*Maximum resident set size (kbytes): //p')
  printf '  %-8s %8s kB\n' "$mode" "$kb"
done
echo "  (none: the scene built through the reference host, without exporting it)"
echo
bash bench/export_request.sh build/bench/bin build/native/windows/bin
echo
echo "Whole-process conversion of published rigged models (bench/convert_models.sh):"
bash bench/convert_models.sh build/bench/bin
echo
bash bench/import_process.sh build/bench/bin build/native/windows/bin
echo
bash bench/gltf_convert.sh build/bench/bin
