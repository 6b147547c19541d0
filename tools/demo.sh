#!/usr/bin/env bash
# The main job: installs what is missing, builds the Linux and Windows plug-ins
# and the reference host, then lets the host drive each plug-in: registration,
# the import of the sample model (a crate the host writes itself) with the
# import dialog operated for the user, and the export of a rigged, animated
# demo scene through the export dialog, imported back to check it, and the
# same for a rigged, animated glTF model (converted on Linux, its scene file
# exported by the Windows DLL).
set -euo pipefail
cd "$(dirname "$0")/.."
out=build/demo
mkdir -p "$out"
# The installation and the build speak only when they fail.
log="$out/build.log"
echo "Installing what is missing and building (log: $log) ..."
# Only what the demo runs: the plug-in, corvane-host and corvane-md2 for Linux
# and Windows, and the release archives; no test program.
if ! { bash tools/install-deps.sh && cmake --preset demo && cmake --build --preset demo &&
       cmake --build --preset demo --target package; } >"$log" 2>&1; then
  tail -n 40 "$log"
  echo "The build failed; the whole log is in $log."
  exit 1
fi
win_out=$(cd "$out" && pwd)
native=build/release/bin
windows=build/release/windows/bin
passed=()

echo "== Windows: corvane-host.exe with corvane_64.dlx under Wine =="
tools/run-wine.sh "$windows/corvane-host.exe" info
tools/run-wine.sh "$windows/corvane-host.exe" sample "Z:$win_out"
tools/run-wine.sh "$windows/corvane-host.exe" import "$windows/corvane_64.dlx" "Z:$win_out/crate.md2" \
  --frame 2 --obj "Z:$win_out/crate-windows.obj"

echo "== Linux: corvane-host with the native corvane_64.dlx =="
"$native/corvane-host" info
"$native/corvane-host" sample "$out"
"$native/corvane-host" import "$native/corvane_64.dlx" "$out/crate.md2" --frame 2 --obj "$out/crate-linux.obj"

echo "== Windows: export of the demo scene through corvane_64.dlx under Wine, then imported back =="
mkdir -p "$out/screenshots"
tools/run-wine.sh "$windows/corvane-host.exe" export "$windows/corvane_64.dlx" demo "Z:$win_out/demo-windows.md2" \
  --rename 0=swaying --screenshots "Z:$win_out/screenshots"
if command -v convert >/dev/null 2>&1; then
  for bmp in "$out"/screenshots/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
fi
echo "Screenshots of the export and rename dialogs:" "$out"/screenshots/*
tools/run-wine.sh "$windows/corvane-host.exe" import "$windows/corvane_64.dlx" "Z:$win_out/demo-windows.md2" \
  --frame 20 --obj "Z:$win_out/demo-windows.obj"

echo "== Linux: export of the demo scene through the native corvane_64.dlx, then imported back =="
"$native/corvane-host" export "$native/corvane_64.dlx" demo "$out/demo-linux.md2" --rename 0=swaying
"$native/corvane-host" import "$native/corvane_64.dlx" "$out/demo-linux.md2" --frame 20 --obj "$out/demo-linux.obj"

echo "== corvane-md2: check, GL commands and preview of the demo export =="
tools/run-wine.sh "$windows/corvane-md2.exe" check "Z:$win_out/demo-windows.md2"
tools/run-wine.sh "$windows/corvane-md2.exe" glcmds "Z:$win_out/demo-windows.md2" -o "Z:$win_out/demo-windows-gl.md2"
"$native/corvane-md2" check "$out/demo-linux.md2"
"$native/corvane-md2" glcmds "$out/demo-linux.md2" -o "$out/demo-linux-gl.md2"
"$native/corvane-md2" check "$out/demo-linux-gl.md2"
"$native/corvane-md2" preview "$out/demo-linux-gl.md2" -o "$out/demo-preview.png" --size 128x128
cmp -s "$out/demo-windows-gl.md2" "$out/demo-linux-gl.md2" &&
  passed+=("corvane-md2.exe and corvane-md2 wrote the same GL command list")
"$native/corvane-md2" gltf "$out/demo-linux-gl.md2" -o "$out/demo.glb"
tools/run-wine.sh "$windows/corvane-md2.exe" gltf "Z:$win_out/demo-linux-gl.md2" -o "Z:$win_out/demo-windows.glb"
cmp -s "$out/demo.glb" "$out/demo-windows.glb" &&
  passed+=("corvane-md2.exe and corvane-md2 wrote the same glTF file")
echo "Preview picture of every frame: $out/demo-preview.png"

if cmp -s "$out/demo-windows.md2" "$out/demo-linux.md2"; then
  passed+=("the Windows and Linux exports of the demo scene are identical byte for byte")
else
  echo "The Windows and Linux exports differ:"
  cmp -l "$out/demo-windows.md2" "$out/demo-linux.md2" | head -n 20 || true
fi
echo "== A rigged, animated glTF model: converted on Linux, exported by both plug-ins, imported back =="
model=/usr/share/assimp/models/glTF2/simple_skin/simple_skin.gltf
"$native/corvane-host" export "$native/corvane_64.dlx" "$model" "$out/skin-linux.md2" \
  --save-scene "$out/simple_skin.json"
tools/run-wine.sh "$windows/corvane-host.exe" export "$windows/corvane_64.dlx" "Z:$win_out/simple_skin.json" \
  "Z:$win_out/skin-windows.md2"
"$native/corvane-host" import "$native/corvane_64.dlx" "$out/skin-linux.md2" --frame 30 --obj "$out/skin-linux.obj"
tools/run-wine.sh "$windows/corvane-host.exe" import "$windows/corvane_64.dlx" "Z:$win_out/skin-windows.md2" \
  --frame 30 --obj "Z:$win_out/skin-windows.obj"
if cmp -s "$out/skin-windows.md2" "$out/skin-linux.md2"; then
  passed+=("the Windows export of the saved scene file and the Linux export of the glTF model are identical byte for byte")
else
  echo "The glTF exports differ:"
  cmp -l "$out/skin-windows.md2" "$out/skin-linux.md2" | head -n 20 || true
fi

"$native/corvane-md2" check "$out/skin-linux.md2" >/dev/null &&
  passed+=("corvane-md2 check finds no error in the converted glTF model's export")

zip=$(ls build/release/windows/package/corvane-*-win64.zip)
tgz=$(ls build/release/package/corvane-*-linux-x86_64.tar.gz)
echo
echo "== Summary =="
echo "MD2 files:        $out/demo-linux.md2 $out/demo-windows.md2 $out/demo-linux-gl.md2 $out/skin-linux.md2 $out/skin-windows.md2"
echo "OBJ files:        $out/crate-linux.obj $out/crate-windows.obj $out/demo-linux.obj $out/demo-windows.obj" \
  "$out/skin-linux.obj $out/skin-windows.obj"
echo "glTF file:        $out/demo.glb"
echo "Preview picture:  $out/demo-preview.png"
echo "Dialog screenshots: $(ls "$out"/screenshots/* | tr '\n' ' ')"
echo "Windows release archive: $zip"
echo "Linux release archive:   $tgz"
for line in "${passed[@]}"; do
  echo "passed: $line"
done
