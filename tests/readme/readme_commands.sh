#!/usr/bin/env bash
# Runs every command the README shows, so none goes stale:
#  - the `sh` blocks, in order, as one script from a folder laid out like the
#    repository (build/native/bin, build/native/windows/bin, tools), with
#    /tmp/demo moved into a folder of the test's own;
#  - each inline `corvane-host ...` / `corvane-md2 ...` that names real files
#    (no PLACEHOLDER, no ...), in a folder holding those files;
#  - build and CI commands (cmake, ctest, bash tools/...) are not run here but
#    must name presets and scripts that exist.
#   readme_commands.sh README BIN_DIR [WINDOWS_BIN_DIR]
set -uo pipefail
readme=$(realpath "$1")
bin=$(realpath "$2")
windows=${3:+$(realpath "$3")}
repo=$(dirname "$readme")
work=$(mktemp -d /tmp/corvane-readme-XXXXXX)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAILED: $*"; status=1; }

# The fenced blocks tagged sh, and the inline code spans, as written.
blocks=$(awk '/^```sh$/ {inside = 1; next} /^```/ {inside = 0} inside' "$readme")
spans=$(grep -o '`[^`]*`' "$readme" | tr -d '`' | sort -u)

# Build and CI commands: their presets and scripts exist.
presets=$(grep -o '"name": *"[^"]*"' "$repo/CMakePresets.json" | sed 's/.*"\([^"]*\)"$/\1/' | sort -u)
while read -r line; do
  for preset in $(grep -o -- '--preset [a-z-]*' <<<"$line" | awk '{print $2}'); do
    grep -qx -- "$preset" <<<"$presets" || fail "no preset $preset: $line"
  done
  for script in $(grep -o 'tools/[a-z-]*\.sh' <<<"$line"); do
    [ -f "$repo/$script" ] || fail "no script $script: $line"
  done
done < <(printf '%s\n%s\n' "$blocks" "$spans" | grep -E '^(bash |cmake |ctest |tools/)')

# The blocks, with the build commands left to CI.
mkdir -p "$work/repo/build/native" "$work/demo"
ln -s "$bin" "$work/repo/build/native/bin"
if [ -n "$windows" ]; then
  mkdir -p "$work/repo/build/native/windows" && ln -s "$windows" "$work/repo/build/native/windows/bin"
fi
ln -s "$repo/tools" "$work/repo/tools"
script=$(grep -v -E '^(cmake |ctest )' <<<"$blocks" | sed "s#/tmp/demo#$work/demo#g")
if [ -z "$windows" ]; then
  # Without the Windows build, the Windows lines (a line ending in \ and the one after it).
  script=$(awk '/run-wine\.sh/ {skip = 1} !skip {print} skip && !/\\$/ {skip = 0}' <<<"$script")
fi
if ! (cd "$work/repo" && bash -e -o pipefail <<<"$script") >"$work/blocks.txt" 2>&1; then
  tail -n 30 "$work/blocks.txt"
  fail "a command of the README's blocks failed"
else
  echo "the README's blocks: $(grep -c -E '^\$|^tools/' <<<"$script") commands ran"
fi

# The inline commands, from a folder holding the files they name.
mkdir -p "$work/inline"
cd "$work/inline" || exit 1
ln -s "$bin/corvane_64.dlx" corvane_64.dlx
cp /usr/share/assimp/models/glTF2/simple_skin/simple_skin.gltf rig.gltf
"$bin/corvane-host" sample . >/dev/null && cp crate.md2 model.md2
ran=0
while read -r line; do
  grep -q -E '\.\.\.|\b[A-Z]{2,}\b|\[' <<<"$line" && continue
  # A mention of a command that names no file is no command to run.
  grep -q -E ' [^- ][^ ]*\.[a-z0-9]+( |$)' <<<"$line" || continue
  ((ran++))
  PATH="$bin:$PATH" bash -c "$line" >"$work/inline.txt" 2>&1 || { cat "$work/inline.txt"; fail "$line"; }
done < <(grep -E '^corvane-(host|md2) [a-z]+ ' <<<"$spans")
echo "the README's inline commands: $ran ran"
exit $status
