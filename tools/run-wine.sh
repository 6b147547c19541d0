#!/usr/bin/env bash
# Runs a Windows program under Wine inside a virtual X display (the plug-in's
# dialogs are real windows and need one): tools/run-wine.sh PROGRAM.exe [ARGS...]
set -euo pipefail
export WINEPREFIX="${WINEPREFIX:-${HOME:-/tmp}/.cache/corvane-wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
mkdir -p "$WINEPREFIX"
wine=$(command -v wine || command -v wine64)
# One program at a time sets up the prefix and its display.
exec 9>"$WINEPREFIX/.corvane-lock"
flock 9
# Windows live in a Wine virtual desktop of 1024 x 768: without a window
# manager on the display, Wine would wait for one whenever a window closes.
if [ ! -f "$WINEPREFIX/.corvane-desktop" ]; then
  "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 9>&-
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1 9>&-
  wineserver -w 9>&-
  touch "$WINEPREFIX/.corvane-desktop"
fi
if [ -n "${DISPLAY:-}" ] && [ "${CORVANE_OWN_DISPLAY:-1}" = 0 ]; then
  flock -u 9
  exec 9>&-
  exec "$wine" "$@"
fi
# The prefix's own display, started once and shared by every program run in
# the prefix: Wine's server and desktop outlive a program by a moment, and a
# program that followed on another display would meet windows of the old one.
# Xvfb picks a free display number itself and reports it once it accepts
# connections (-displayfd); it holds none of this script's files open.
display_file="$WINEPREFIX/.corvane-display"
read -r number xvfb <"$display_file" 2>/dev/null || true
if [ -z "${xvfb:-}" ] || ! kill -0 "$xvfb" 2>/dev/null || [ ! -S "/tmp/.X11-unix/X$number" ]; then
  ready=$(mktemp)
  # Started from a subshell that ends at once, so that init reaps it.
  xvfb=$( (setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$ready" </dev/null >/dev/null 2>&1 9>&- &
           echo $!) )
  for _ in $(seq 1 300); do
    [ -s "$ready" ] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.1
  done
  number=$(head -n 1 "$ready")
  rm -f "$ready"
  if [ -z "$number" ]; then
    echo "run-wine.sh: the virtual X display did not start" >&2
    exit 1
  fi
  echo "$number $xvfb" >"$display_file"
fi
flock -u 9
exec 9>&-
export DISPLAY=":$number"
exec "$wine" "$@"
