#!/usr/bin/env bash
# The Windows release archive, unpacked into an empty folder: exactly its
# files, the DLL byte-identical to the one the tests ran, and each program
# started from that folder under Wine with no DLL beside it but ours.
#   check_archive.sh PACKAGE_DIR TESTED_DLL RUN_WINE
set -uo pipefail
package_dir=$1 tested=$2 wine=$3
zip=$(ls "$package_dir"/corvane-*-win64.zip 2>/dev/null | head -n 1)
[ -n "$zip" ] || { echo "FAILED: no corvane-*-win64.zip in $package_dir"; exit 1; }
work=$(mktemp -d /tmp/corvane-archive-XXXXXX)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAILED: $*"; status=1; }
unzip -q "$zip" -d "$work" || fail "$zip does not unpack"
expected="README.txt corvane-host.exe corvane-md2.exe corvane_64.dlx docs/scene-file.md"
listed=$(cd "$work" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
[ "$listed" = "$expected" ] || fail "the archive holds: $listed"
cmp -s "$work/corvane_64.dlx" "$tested" || fail "corvane_64.dlx differs from $tested"
run() {
  local expected_text=$1
  shift
  (cd "$work" && "$wine" "$@") >"$work.out" 2>&1 || fail "$*: exit $?"
  grep -q "$expected_text" "$work.out" || { cat "$work.out"; fail "$*: no \"$expected_text\""; }
}
run "md2" ./corvane-host.exe info ./corvane_64.dlx
run "usage: corvane-md2" ./corvane-md2.exe --help
rm -f "$work.out"
[ $status = 0 ] && echo "$(basename "$zip"): $listed; the DLL is the tested one; both programs start"
exit $status
