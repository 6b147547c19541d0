#!/usr/bin/env bash
# An export onto a full file system: corvane-host exits 1, says the export
# failed and the target was left as it was (or was not written), describes no
# file, and leaves the old file's bytes and no other file behind. The file
# system is a 64 KiB tmpfs, so this needs the superuser (exit 77: skipped).
#   export_full_disk.sh HOST PLUGIN [RUNNER]   (RUNNER: tools/run-wine.sh for the .exe)
set -uo pipefail
host=$1 plugin=$2 runner=${3:-}
prefix=""
[ -n "$runner" ] && prefix="Z:"
work=$(mktemp -d /tmp/corvane-full-XXXXXX)
small="$work/small"
mkdir -p "$small"
if [ "$(id -u)" != 0 ] || ! mount -t tmpfs -o size=64k tmpfs "$small" 2>/dev/null; then
  rm -rf "$work"
  echo "SKIPPED: a full file system needs the superuser to mount a small tmpfs"
  exit 77
fi
trap 'umount "$small"; rm -rf "$work"' EXIT
status=0
fail() { echo "FAILED: $*"; status=1; }

echo "the user's old model" >"$small/old.md2"
for target in old.md2 new.md2; do
  before=$(cat "$small/$target" 2>/dev/null || echo "(none)")
  $runner "$host" export "$prefix$plugin" bench "$prefix$small/$target" >"$work/raw.txt" 2>&1
  code=$?
  tr -d '\r' <"$work/raw.txt" >"$work/out.txt"
  [ $code = 1 ] || fail "$target: exit $code"
  grep -q '^write request: 0 (failed)' "$work/out.txt" || fail "$target: no failed write request"
  expected="was left as it was"
  [ $target = new.md2 ] && expected="was not written"
  grep -q "^export failed: .*$target $expected\$" "$work/out.txt" || fail "$target: no line saying '$expected'"
  if grep -q -E '^(file|header): ' "$work/out.txt"; then fail "$target: a file is described"; fi
  after=$(cat "$small/$target" 2>/dev/null || echo "(none)")
  [ "$before" = "$after" ] || fail "$target: changed"
  [ "$(ls -A "$small")" = old.md2 ] || fail "$target: other files left: $(ls -A "$small")"
  [ $status = 0 ] || cat "$work/out.txt"
done
[ $status = 0 ] && echo "full file system: both exports refused, old.md2 kept, nothing left behind"
exit $status
