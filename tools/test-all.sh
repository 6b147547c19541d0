#!/usr/bin/env bash
# Every test: installs what is missing, then builds and tests
#  - the native build, whose ctest run also covers the Windows DLL and the
#    Windows test program under Wine inside Xvfb;
#  - the native build under AddressSanitizer and UndefinedBehaviorSanitizer;
#  - the native build with plain scalar code instead of vector types;
#  - a short fuzzing run of the MD2 parser.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
jobs=$(nproc)

cmake --preset native
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

cmake --preset native-asan
cmake --build --preset native-asan -j "$jobs"
ctest --preset native-asan -j "$jobs"

cmake --preset native-portable
cmake --build --preset native-portable -j "$jobs"
ctest --preset native-portable -j "$jobs"

if [ -x tools/fuzz-smoke.sh ]; then
  tools/fuzz-smoke.sh
fi
