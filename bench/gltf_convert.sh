#!/usr/bin/env bash
# Whole-process conversion of a generated 1000-frame MD2 file (about 6 MB:
# 1490 vertices, 600 triangles with a texture coordinate each corner, so
# 1800 glTF vertices) to .glb with every frame, `corvane-md2 gltf`,
# against `assimp export` of the same file to .glb (the first frame alone),
# timed in alternation with hyperfine; then the conversion's peak memory
# against the input's and the output's sizes.
#   bench/gltf_convert.sh [BUILD_BIN_DIR]   (default build/bench/bin; RUNS=N, default 10)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(realpath "${1:-build/bench/bin}")
runs=${RUNS:-10}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$bin/corvane_md2_sample" "$out/model.md2" 1 1490 600 1000
ours="$bin/corvane-md2 gltf $out/model.md2 -o $out/ours.glb"
theirs="assimp export $out/model.md2 $out/theirs.glb -fglb2"
hyperfine -N --style basic --warmup 2 --runs "$runs" --export-json "$out/times.json" "$ours" "$theirs" |
  grep -E 'Time|±|corvane|assimp' || true
/usr/bin/time -v $ours 2>"$out/time.txt" >/dev/null
peak_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$out/time.txt")
in_kb=$(( $(stat -c %s "$out/model.md2") / 1024 ))
out_kb=$(( $(stat -c %s "$out/ours.glb") / 1024 ))
echo "input ${in_kb} KiB, output ${out_kb} KiB, peak memory ${peak_kb} KiB" \
     "(budget: input + output + 16 MiB = $((in_kb + out_kb + 16384)) KiB)"
