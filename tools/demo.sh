#!/usr/bin/env bash
# The main job: installs what is missing, builds the Linux and Windows plug-ins
# and the reference host, then lets the host drive each plug-in: registration,
# and the import of the sample model (a crate the host writes itself) with the
# import dialog operated for the user.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset native
cmake --build --preset native

out=build/demo
mkdir -p "$out"
win_out=$(cd "$out" && pwd)
native=build/native/bin
windows=build/native/windows/bin

echo "== Windows: corvane-host.exe with corvane_64.dlx under Wine =="
tools/run-wine.sh "$windows/corvane-host.exe" info
tools/run-wine.sh "$windows/corvane-host.exe" sample "Z:$win_out"
tools/run-wine.sh "$windows/corvane-host.exe" import "$windows/corvane_64.dlx" "Z:$win_out/crate.md2" \
  --frame 2 --obj "Z:$win_out/crate-windows.obj"

echo "== Linux: corvane-host with the native corvane_64.dlx =="
"$native/corvane-host" info
"$native/corvane-host" sample "$out"
"$native/corvane-host" import "$native/corvane_64.dlx" "$out/crate.md2" --frame 2 --obj "$out/crate-linux.obj"
echo "OBJ files of the imported frame: $out/crate-windows.obj $out/crate-linux.obj"
