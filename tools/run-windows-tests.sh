#!/usr/bin/env bash
# Runs the Windows test program under Wine and Xvfb, then turns the dialog
# screenshots it saved (BMP) into PNG files beside them.
#   tools/run-windows-tests.sh corvane_tests.exe [gtest arguments...]
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/run-wine.sh" "$@"
status=$?
if [ -n "${CORVANE_ARTIFACTS:-}" ] && command -v convert >/dev/null 2>&1; then
  for bmp in "$CORVANE_ARTIFACTS"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
fi
exit $status
