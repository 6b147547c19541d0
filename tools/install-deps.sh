#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, skipping
# what is already there. Run as root (or with sudo available).
set -euo pipefail
packages=(
  cmake ninja-build g++ clang llvm libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 fonts-wine xvfb xauth x11-apps imagemagick
  assimp-utils assimp-testmodels libassimp-dev nlohmann-json3-dev time
  libosmesa6-dev libstb-dev pkg-config hyperfine
)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" = 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
