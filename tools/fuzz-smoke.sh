#!/bin/sh
# Builds the libFuzzer targets (preset fuzz) and runs each for a bounded time
# from freshly generated seed corpora: the MD2 parser, the whole import (read
# and build of a chosen frame), the whole export of a scene made from the
# fuzzer's bytes, corvane-md2's check and GL command rewrite, and its glTF
# conversion (both on the parser's seeds). Fails when a fuzzer finds a crash, a leak or a sanitizer
# report; the input that caused it is left in build/fuzz/artifacts/.
#
#   tools/fuzz-smoke.sh                 about 30 seconds per target
#   FUZZ_SECONDS=600 tools/fuzz-smoke.sh
#   tools/fuzz-smoke.sh -runs=10000000  extra arguments go to every fuzzer
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-30}
build="$root/build/fuzz"

cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_md2_parser fuzz_import fuzz_export fuzz_md2tool fuzz_gltf fuzz_seed_corpus

# The parser's seeds share the tests' builder of valid files.
clang++ -std=c++20 -O1 -I "$root/tests" -o "$build/md2_seed_corpus" \
    "$root/fuzz/md2_seed_corpus.cpp" "$root/tests/support/md2_builder.cpp"
rm -rf "$build/md2-seeds" "$build/import-seeds" "$build/export-seeds"
mkdir -p "$build/md2-seeds" "$build/import-seeds" "$build/export-seeds" "$build/artifacts"
"$build/md2_seed_corpus" "$build/md2-seeds"
# The import and export seeds: the tests' files and scenes.
"$build/bin/fuzz_seed_corpus" "$build/import-seeds" "$build/export-seeds"

# run TARGET CORPUS SEEDS: the corpus grows in build/fuzz/CORPUS-corpus.
run() {
    target=$1
    corpus=$2
    seeds=$3
    shift 3
    mkdir -p "$build/$corpus-corpus"
    "$build/bin/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/" "$@" "$build/$corpus-corpus" "$build/$seeds-seeds"
}
run fuzz_md2_parser md2 md2 "$@"
run fuzz_import import import "$@"
run fuzz_export export export "$@"
run fuzz_md2tool md2tool md2 "$@"
run fuzz_gltf gltf md2 "$@"
