#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, skipping
# what is already there. Run as root (or with sudo available).
set -euo pipefail
packages=(
  cmake ninja-build g++ clang llvm libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 fonts-wine xvfb xauth x11-apps imagemagick
  assimp-utils assimp-testmodels libassimp-dev nlohmann-json3-dev rapidjson-dev time
  libosmesa6-dev libstb-dev pkg-config hyperfine unzip
)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
# Node.js and npm from Debian, unless the machine has its own (whose nodejs
# package conflicts with Debian's npm).
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  missing+=(nodejs npm)
fi
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" = 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
# The Khronos glTF Validator, for the tests of corvane-md2 gltf.
tests_gltf="$(cd "$(dirname "$0")/../tests/gltf" && pwd)"
if [ ! -f "$tests_gltf/node_modules/gltf-validator/package.json" ]; then
  (cd "$tests_gltf" && npm ci --no-audit --no-fund --loglevel=error)
fi
