#!/usr/bin/env bash
# Whole-process import of a generated MD2 file of 1500 vertices and 1000
# frames (about 6 MB): `corvane-host import` through the Linux plug-in against
# `assimp info` on the same file, timed in alternation (rounds of hyperfine,
# each running both commands), with both medians of wall time and of CPU time
# (user and system, each round's mean) and their ratios. Then, when Wine and
# the Windows build are there, the same import through corvane-host.exe and
# the DLL under Wine, beside `corvane-host.exe info` (the program's start
# under Wine and the DLL's loading, without the import).
#   bench/import_process.sh [BUILD_BIN_DIR] [WINDOWS_BIN_DIR]
#   (defaults build/bench/bin and build/native/windows/bin; ROUNDS=N, default 8;
#   SHAPE="SKINS VERTICES TRIANGLES FRAMES", default "2 1500 3000 1000")
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(realpath "${1:-build/bench/bin}")
winbin=${2:-build/native/windows/bin}
rounds=${ROUNDS:-8}
read -r skins vertices triangles frames <<<"${SHAPE:-2 1500 3000 1000}"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$bin/corvane_md2_sample" "$out/model.md2" "$skins" "$vertices" "$triangles" "$frames"

# Every run's seconds from a hyperfine JSON export, one line each, prefixed by
# the command's index.
times_of() {
  awk '/"times": \[/ {inside = 1; n++; next} inside && /\]/ {inside = 0} inside {gsub(/[ ,]/, ""); print n, $0}' "$1"
}
# Each command's mean CPU seconds (user and system) from a hyperfine JSON
# export, one line each, prefixed by the command's index.
cpu_of() {
  awk -F: '/"user":/ {gsub(/[ ,]/, "", $2); user = $2} /"system":/ {gsub(/[ ,]/, "", $2); print ++n, user + $2}' "$1"
}
median_ms() {
  sort -g | awk '{a[NR] = $1} END {m = NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2; printf "%.1f", m * 1000}'
}

# interleave NAME COMMAND_A COMMAND_B: ROUNDS rounds of 3 runs of each;
# leaves the wall-time medians in $med_a and $med_b, and the medians of the
# rounds' mean CPU times in $cpu_a and $cpu_b.
interleave() {
  local name=$1 a=$2 b=$3
  : >"$out/$name.times"
  : >"$out/$name.cpu"
  for ((r = 0; r < rounds; r++)); do
    hyperfine -N --style none --warmup 1 --runs 3 --export-json "$out/round.json" "$a" "$b" >/dev/null 2>&1
    times_of "$out/round.json" >>"$out/$name.times"
    cpu_of "$out/round.json" >>"$out/$name.cpu"
  done
  med_a=$(awk '$1 == 1 {print $2}' "$out/$name.times" | median_ms)
  med_b=$(awk '$1 == 2 {print $2}' "$out/$name.times" | median_ms)
  cpu_a=$(awk '$1 == 1 {print $2}' "$out/$name.cpu" | median_ms)
  cpu_b=$(awk '$1 == 2 {print $2}' "$out/$name.cpu" | median_ms)
}

size=$(stat -c %s "$out/model.md2")
echo "Whole-process import of a generated MD2 file ($size bytes; $vertices vertices, $frames frames), $((rounds * 3)) runs each, interleaved (load: $(cut -d' ' -f1-3 /proc/loadavg)):"
interleave native "$bin/corvane-host import $bin/corvane_64.dlx $out/model.md2" "assimp info $out/model.md2"
printf '  corvane-host import (Linux plug-in)  median %6s ms, CPU %6s ms\n' "$med_a" "$cpu_a"
printf '  assimp info                          median %6s ms, CPU %6s ms\n' "$med_b" "$cpu_b"
awk -v a="$med_a" -v b="$med_b" 'BEGIN {printf "  assimp info / corvane-host import: %.2f\n", b / a}'
awk -v a="$cpu_a" -v b="$cpu_b" 'BEGIN {printf "  CPU time, corvane-host import / assimp info: %.2f\n", a / b}'

if [ -x "$winbin/corvane-host.exe" ] && [ -f "$winbin/corvane_64.dlx" ] && command -v wine >/dev/null 2>&1 &&
   command -v xvfb-run >/dev/null 2>&1; then
  winbin=$(realpath "$winbin")
  echo
  echo "The same import under Wine (corvane-host.exe and the DLL, one Xvfb display and one Wine server for all runs):"
  cat >"$out/wine.sh" <<SCRIPT
set -euo pipefail
export CORVANE_OWN_DISPLAY=0
run="$PWD/tools/run-wine.sh"
"\$run" "$winbin/corvane-host.exe" info "$winbin/corvane_64.dlx" >/dev/null
wineserver -p 60 2>/dev/null || true  # kept alive between runs when nothing else holds it
source "$out/functions.sh"
interleave wine "\$run $winbin/corvane-host.exe import $winbin/corvane_64.dlx Z:$out/model.md2" \
                "\$run $winbin/corvane-host.exe info $winbin/corvane_64.dlx"
echo "\$med_a \$med_b" >"$out/wine.medians"
wineserver -k || true
SCRIPT
  { declare -f times_of cpu_of median_ms interleave; echo "out=$out; rounds=$rounds"; } >"$out/functions.sh"
  export WINEPREFIX="${WINEPREFIX:-${HOME:-/tmp}/.cache/corvane-wine}" WINEDEBUG="${WINEDEBUG:--all}"
  # Wine's desktop reports the end of the display when xvfb-run stops it.
  if xvfb-run -a -s "-screen 0 1024x768x24" bash "$out/wine.sh" 2> >(grep -v -E '^(X connection to|XIO:)' >&2); then
    read -r wine_import wine_info <"$out/wine.medians"
    printf '  corvane-host.exe import (Windows DLL) median %6s ms\n' "$wine_import"
    printf '  corvane-host.exe info (start alone)   median %6s ms\n' "$wine_info"
    awk -v a="$wine_import" -v b="$wine_info" 'BEGIN {printf "  the import beyond the start: %.1f ms\n", a - b}'
  else
    echo "  (the runs under Wine failed)"
  fi
else
  echo "(no Wine or no Windows build in $winbin: the Windows import is not timed)"
fi
