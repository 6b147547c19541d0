#!/usr/bin/env bash
# The main job: installs what is missing, builds the Linux and Windows plug-ins
# and the reference host, then lets the host drive each plug-in.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset native
cmake --build --preset native

echo "== Windows: corvane-host.exe with corvane_64.dlx under Wine =="
tools/run-wine.sh build/native/windows/bin/corvane-host.exe info
echo "== Linux: corvane-host with the native corvane_64.dlx =="
build/native/bin/corvane-host info
