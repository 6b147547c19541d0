#!/usr/bin/env bash
# Runs a Windows program under Wine inside a virtual X display (the plug-in's
# dialogs are real windows and need one): tools/run-wine.sh PROGRAM.exe [ARGS...]
set -euo pipefail
export WINEPREFIX="${WINEPREFIX:-${HOME:-/tmp}/.cache/corvane-wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
mkdir -p "$WINEPREFIX"
wine=$(command -v wine || command -v wine64)
# Windows live in a Wine virtual desktop of 1024 x 768: without a window
# manager on the display, Wine would wait for one whenever a window closes.
if [ ! -f "$WINEPREFIX/.corvane-desktop" ]; then
  "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.corvane-desktop"
fi
if [ -n "${DISPLAY:-}" ] && [ "${CORVANE_OWN_DISPLAY:-1}" = 0 ]; then
  exec "$wine" "$@"
fi
# Wine's own processes (the virtual desktop) outlive the program by a moment
# and report the end of the display when xvfb-run stops it; those lines are
# not the program's output.
display_end='^(X connection to .* broken \(explicit kill or server shutdown\)|XIO: +fatal IO error .* on X server |'
display_end+=' +after [0-9]+ requests \([0-9]+ known processed\) with [0-9]+ events remaining)'
status=0
xvfb-run -a -s "-screen 0 1024x768x24" "$wine" "$@" 2> >(grep --line-buffered -v -E "$display_end" >&2) || status=$?
wait || true
exit $status
