#!/usr/bin/env bash
# The plug-in's answer to the write request for the benchmark scene (2048
# vertices, 32 bones, 512 frames), as corvane-host times it around the
# request: the Linux plug-in, and the Windows DLL through corvane-host.exe
# under Wine when the native build made them (cmake --build --preset native).
# The target file lies in TMPDIR (default /dev/shm, where the durable flush
# waits for no disk, so the time is the writer's computation); the median
# of RUNS runs (default 9), each a fresh process and so a first export.
#   bench/export_request.sh [LINUX_BIN_DIR] [WINDOWS_BIN_DIR]
#   (defaults build/bench/bin and build/native/windows/bin)
set -euo pipefail
cd "$(dirname "$0")/.."
linux=${1:-build/bench/bin}
windows=${2:-build/native/windows/bin}
runs=${RUNS:-9}
out=$(mktemp -d "${TMPDIR:-/dev/shm}/corvane-export.XXXXXX")
trap 'rm -rf "$out"' EXIT

# Median of the "write request took N ms" lines of RUNS runs of the command.
median_write() {
  for ((i = 0; i < runs; i++)); do
    "$@" | tr -d "\r" | sed -n 's/^write request took \([0-9.]*\) ms$/\1/p'
  done | sort -g | awk '{a[NR]=$1} END {if (NR) printf "%.1f ms (median of %d)", a[int((NR+1)/2)], NR; else print "no figure"}'
}

echo "write request of the benchmark export (target in ${out%/*}):"
printf '  %-40s %s\n' "Linux plug-in, corvane-host" \
  "$(median_write "$linux/corvane-host" export "$linux/corvane_64.dlx" bench "$out/model.md2" --time)"
if [ -f "$windows/corvane-host.exe" ] && command -v wine >/dev/null 2>&1; then
  printf '  %-40s %s\n' "Windows DLL, corvane-host.exe under Wine" \
    "$(median_write tools/run-wine.sh "$windows/corvane-host.exe" export "$windows/corvane_64.dlx" bench \
       "$out/model.md2" --time)"
fi
