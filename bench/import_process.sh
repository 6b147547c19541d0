#!/usr/bin/env bash
# Whole-process import of a generated MD2 file of 2048 vertices and 1000
# frames (about 8 MB): `corvane-host import` through the Linux plug-in against
# `assimp info` on the same file, timed in alternation (rounds of hyperfine,
# each running both commands), with both medians and their ratio. Then, when
# Wine and the Windows build are there, the same import through
# corvane-host.exe and the DLL under Wine, beside `corvane-host.exe info`
# (the program's start under Wine and the DLL's loading, without the import).
#   bench/import_process.sh [BUILD_BIN_DIR] [WINDOWS_BIN_DIR]
#   (defaults build/bench/bin and build/native/windows/bin; ROUNDS=N, default 8)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(realpath "${1:-build/bench/bin}")
winbin=${2:-build/native/windows/bin}
rounds=${ROUNDS:-8}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$bin/corvane_md2_sample" "$out/model.md2"

# Every run's seconds from a hyperfine JSON export, one line each, prefixed by
# the command's index.
times_of() {
  awk '/"times": \[/ {inside = 1; n++; next} inside && /\]/ {inside = 0} inside {gsub(/[ ,]/, ""); print n, $0}' "$1"
}
median_ms() {
  sort -g | awk '{a[NR] = $1} END {m = NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2; printf "%.1f", m * 1000}'
}

# interleave NAME COMMAND_A COMMAND_B: ROUNDS rounds of 3 runs of each;
# prints the medians and leaves them in $med_a and $med_b.
interleave() {
  local name=$1 a=$2 b=$3
  : >"$out/$name.times"
  for ((r = 0; r < rounds; r++)); do
    hyperfine -N --style none --warmup 1 --runs 3 --export-json "$out/round.json" "$a" "$b" >/dev/null 2>&1
    times_of "$out/round.json" >>"$out/$name.times"
  done
  med_a=$(awk '$1 == 1 {print $2}' "$out/$name.times" | median_ms)
  med_b=$(awk '$1 == 2 {print $2}' "$out/$name.times" | median_ms)
}

size=$(stat -c %s "$out/model.md2")
echo "Whole-process import of a generated MD2 file ($size bytes; 2048 vertices, 1000 frames), $((rounds * 3)) runs each, interleaved:"
interleave native "$bin/corvane-host import $bin/corvane_64.dlx $out/model.md2" "assimp info $out/model.md2"
printf '  corvane-host import (Linux plug-in)  median %6s ms\n' "$med_a"
printf '  assimp info                          median %6s ms\n' "$med_b"
awk -v a="$med_a" -v b="$med_b" 'BEGIN {printf "  assimp info / corvane-host import: %.2f\n", b / a}'

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
  { declare -f times_of median_ms interleave; echo "out=$out; rounds=$rounds"; } >"$out/functions.sh"
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
