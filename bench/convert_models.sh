#!/usr/bin/env bash
# Whole-process conversion of published rigged models: corvane-host reads
# each file with the Open Asset Import Library, builds the host scene and
# exports it through the plug-in. Prints the median wall time of RUNS runs
# (default 9) and the peak memory (maximum resident set size) per model.
#   bench/convert_models.sh [BUILD_BIN_DIR]   (default build/bench/bin)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build/bench/bin}
runs=${RUNS:-9}
models=/usr/share/assimp/models
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
printf '%-36s %8s %12s %10s\n' model frames "median ms" "peak kB"
for model in glTF2/simple_skin/simple_skin.gltf X/anim_test.x SMD/WusonSMD.smd FBX/animation_with_skeleton.fbx; do
  times=()
  peak=0
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    kb=$( { /usr/bin/time -f '%M' "$bin/corvane-host" export "$bin/corvane_64.dlx" "$models/$model" \
            "$out/model.md2" >"$out/log"; } 2>&1 | tail -n 1)
    times+=("$(( ($(date +%s%N) - start) / 100000 ))")  # tenths of a millisecond
    (( kb > peak )) && peak=$kb
  done
  median=$(printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)] / 10}')
  frames=$(sed -n 's/.*num_frames \([0-9]*\).*/\1/p' "$out/log")
  printf '%-36s %8s %12s %10s\n' "$model" "$frames" "$median" "$peak"
done
