#!/usr/bin/env bash
# Whole-process conversion of a generated 1000-frame MD2 file (about 6 MB:
# 1490 vertices, 600 triangles with a texture coordinate each corner, so
# 1800 glTF vertices) to .glb with every frame, `corvane-md2 gltf`,
# against `assimp export` of the same file to .glb (the first frame alone),
# timed in alternation (rounds of hyperfine running each once, writing new
# files and replacing the ones there), with the
# verified replace of a file as large as ours and nothing computed (the floor
# under our figure); then the conversion's peak memory against the input's and
# the output's sizes.
#   bench/gltf_convert.sh [BUILD_BIN_DIR]   (default build/bench/bin; RUNS=N rounds, default 10)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(realpath "${1:-build/bench/bin}")
runs=${RUNS:-10}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$bin/corvane_md2_sample" "$out/model.md2" 1 1490 600 1000
ours="$bin/corvane-md2 gltf $out/model.md2 -o $out/ours.glb"
theirs="assimp export $out/model.md2 $out/theirs.glb -fglb2"
$ours >/dev/null 2>&1
floor="$bin/corvane_verified_write $out/floor.glb $(stat -c %s "$out/ours.glb")"
median_ms() {
  sort -g | awk '{a[NR] = $1} END {m = NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2; printf "%.1f", m * 1000}'
}
# RUNS rounds of hyperfine, each one run of every command after a warm-up:
# first each writing a new file (its output removed before every run), then
# each replacing its output of the run before, which for ours means also
# freeing the old file's 45 MB.
for mode in new replacing; do
  prepare=true
  [ "$mode" = new ] && prepare="rm -f $out/ours.glb $out/theirs.glb $out/floor.glb"
  : >"$out/times.txt"
  for ((r = 0; r < runs; r++)); do
    hyperfine -N --style none --warmup 1 --runs 1 --prepare "$prepare" --export-json "$out/round.json" \
      "$ours" "$theirs" "$floor" >/dev/null 2>&1
    awk '/"times": \[/ {inside = 1; n++; next} inside && /\]/ {inside = 0} inside {gsub(/[ ,]/, ""); print n, $0}' \
      "$out/round.json" >>"$out/times.txt"
  done
  echo "$mode file: corvane-md2 gltf, every frame: median $(awk '$1 == 1 {print $2}' "$out/times.txt" | median_ms) ms;" \
       "assimp export, the first frame: median $(awk '$1 == 2 {print $2}' "$out/times.txt" | median_ms) ms;" \
       "the verified write of as many bytes alone: median $(awk '$1 == 3 {print $2}' "$out/times.txt" | median_ms) ms" \
       "($runs runs each, alternating)"
done
/usr/bin/time -v $ours 2>"$out/time.txt" >/dev/null
peak_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$out/time.txt")
# What the program holds before it reads anything (the preview's OSMesa and LLVM on Linux).
/usr/bin/time -v "$bin/corvane-md2" --help 2>"$out/start.txt" >/dev/null
start_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$out/start.txt")
in_kb=$(( $(stat -c %s "$out/model.md2") / 1024 ))
out_kb=$(( $(stat -c %s "$out/ours.glb") / 1024 ))
echo "input ${in_kb} KiB, output ${out_kb} KiB, peak memory ${peak_kb} KiB, of which ${start_kb} KiB at start;" \
     "the conversion's $((peak_kb - start_kb)) KiB against input + output + 16 MiB = $((in_kb + out_kb + 16384)) KiB"
