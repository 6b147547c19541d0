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
# A display of our own: Xvfb picks a free display number itself and reports
# it once it accepts connections (-displayfd), so programs started side by
# side never race for one number as `xvfb-run -a` does.
ready=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$ready" >/dev/null 2>&1 &
xvfb=$!
stop_display() { kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; rm -f "$ready"; }
trap stop_display EXIT
for _ in $(seq 1 300); do
  [ -s "$ready" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$ready" ]; then
  echo "run-wine.sh: the virtual X display did not start" >&2
  exit 1
fi
export DISPLAY=":$(head -n 1 "$ready")"
# Wine's own processes (the virtual desktop) outlive the program by a moment
# and report the end of the display when it stops; those lines are not the
# program's output.
display_end='^(X connection to .* broken \(explicit kill or server shutdown\)|XIO: +fatal IO error .* on X server |'
display_end+=' +after [0-9]+ requests \([0-9]+ known processed\) with [0-9]+ events remaining)'
status=0
"$wine" "$@" 2> >(grep --line-buffered -v -E "$display_end" >&2) || status=$?
filter=$!
stop_display
# The filter ends when the last of Wine's processes lets go of its stderr.
wait "$filter" 2>/dev/null || true
exit $status
