#!/bin/sh
# Builds the libFuzzer targets (preset fuzz) and runs the MD2 parser target
# for a bounded time from a freshly generated seed corpus. Fails when the
# fuzzer finds a crash, a leak or a sanitizer report; the input that caused
# it is left in build/fuzz/artifacts/.
#
#   tools/fuzz-smoke.sh                 about 60 seconds
#   FUZZ_SECONDS=600 tools/fuzz-smoke.sh
#   tools/fuzz-smoke.sh -runs=10000000  extra arguments go to the fuzzer
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}
build="$root/build/fuzz"

cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_md2_parser

# The seed generator shares the tests' builder of valid files.
clang++ -std=c++20 -O1 -I "$root/tests" -o "$build/md2_seed_corpus" \
    "$root/fuzz/md2_seed_corpus.cpp" "$root/tests/support/md2_builder.cpp"
rm -rf "$build/md2-seeds"
mkdir -p "$build/md2-seeds" "$build/md2-corpus" "$build/artifacts"
"$build/md2_seed_corpus" "$build/md2-seeds"

"$build/bin/fuzz_md2_parser" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/" "$@" "$build/md2-corpus" "$build/md2-seeds"
