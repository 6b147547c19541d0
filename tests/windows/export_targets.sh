#!/usr/bin/env bash
# corvane-host.exe under Wine writes targets that the Windows test program
# cannot set up itself:
#  - through a symbolic link to a file on another file system (/dev/shm where
#    there is one): the link stays a link, the file it names is replaced, and
#    no other file is left beside it;
#  - as the user nobody, a file he may write in a folder where he may not
#    create one: written in place, its permission bits kept.
#   export_targets.sh WINDOWS_BIN_DIR
set -uo pipefail
bin=$(cd "$1" && pwd)
tools="$(cd "$(dirname "$0")/../../tools" && pwd)"
work=$(mktemp -d /tmp/corvane-targets-XXXXXX)
other=$(mktemp -d /dev/shm/corvane-targets-XXXXXX 2>/dev/null || mktemp -d /tmp/corvane-linked-XXXXXX)
trap 'rm -rf "$work" "$other"' EXIT
chmod 755 "$work"
status=0
fail() { echo "FAILED: $*"; status=1; }

# Runs an export of SOURCE to TARGET; fails with the program's output unless it wrote the file.
export_to() {
  local source=$1 target=$2
  shift 2
  if ! "$@" "$tools/run-wine.sh" "$bin/corvane-host.exe" export "Z:$bin/corvane_64.dlx" "$source" "Z:$target" \
      >"$work/output.txt" 2>&1 || ! grep -q '^write request: 1 ' "$work/output.txt"; then
    cat "$work/output.txt"
    fail "the export to $target was not written"
    return 1
  fi
}

echo "the old model" >"$other/model.md2"
ln -s "$other/model.md2" "$work/link.md2"
if export_to demo "$work/link.md2"; then
  [ -L "$work/link.md2" ] || fail "the link was replaced by a file"
  [ "$(head -c 4 "$other/model.md2")" = IDP2 ] || fail "the linked file holds no MD2 model"
  [ "$(ls -A "$other")" = model.md2 ] || fail "other files beside the linked one: $(ls -A "$other")"
  echo "through a link: link kept, $other/model.md2 replaced ($(stat -c %s "$other/model.md2") bytes)"
fi

nobody=65534
if [ "$(id -u)" != 0 ] || ! setpriv --reuid=$nobody --regid=$nobody --clear-groups true 2>/dev/null; then
  echo "SKIPPED: the unprivileged case needs the superuser and setpriv to run as user $nobody"
else
  # The user's own Wine folder: Wine refuses a prefix that belongs to another user.
  mkdir -p "$work/home" "$work/locked"
  chown $nobody:$nobody "$work/home"
  "$tools/run-wine.sh" "$bin/corvane-host.exe" sample "Z:$work" >"$work/sample.txt" 2>&1 ||
    { cat "$work/sample.txt"; fail "no sample model"; }
  echo "the user's file" >"$work/locked/out.md2"
  chown $nobody:$nobody "$work/locked/out.md2"
  chmod 640 "$work/locked/out.md2"
  if export_to "Z:$work/crate.md2" "$work/locked/out.md2" setpriv --reuid=$nobody --regid=$nobody --clear-groups \
      env HOME="$work/home" WINEPREFIX="$work/home/wine"; then
    [ "$(head -c 4 "$work/locked/out.md2")" = IDP2 ] || fail "the file in the locked folder holds no MD2 model"
    [ "$(stat -c %a "$work/locked/out.md2")" = 640 ] || fail "permission bits $(stat -c %a "$work/locked/out.md2")"
    [ "$(ls -A "$work/locked")" = out.md2 ] || fail "other files in the locked folder: $(ls -A "$work/locked")"
    echo "as user $nobody: $work/locked/out.md2 written in place, mode $(stat -c %a "$work/locked/out.md2")"
  fi
  # That user's Wine server writes into his folder until it ends.
  setpriv --reuid=$nobody --regid=$nobody --clear-groups env WINEPREFIX="$work/home/wine" wineserver -k 2>/dev/null
  setpriv --reuid=$nobody --regid=$nobody --clear-groups env WINEPREFIX="$work/home/wine" wineserver -w 2>/dev/null
  # and the display run-wine.sh started for that prefix.
  read -r _ xvfb <"$work/home/wine/.corvane-display" 2>/dev/null && kill "$xvfb" 2>/dev/null
fi
exit $status
