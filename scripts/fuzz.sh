#!/usr/bin/env bash
# Fuzzes the catalog reader with libFuzzer: a clang build with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, seeded with tests/fuzz/corpus and the golden files.
#   scripts/fuzz.sh [RUNS]      (default 1000000 executions)
# New inputs the fuzzer finds go to build-fuzz/corpus; a crash leaves its input in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

runs=${1:-1000000}
build_dir=${VELMORA_FUZZ_BUILD_DIR:-build-fuzz}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DVELMORA_BUILD_DIALOGS=OFF -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCHMARKS=OFF \
  -DVELMORA_BUILD_FUZZERS=ON
cmake --build "$build_dir" --target fuzz_catalog_reader

# A small AddressSanitizer quarantine keeps the process under the 64 MB RSS limit, so the limit
# measures the reader, not the sanitizer's bookkeeping.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=4:malloc_context_size=4}

mkdir -p "$build_dir/corpus"
cd "$build_dir"
./tests/fuzz/fuzz_catalog_reader -runs="$runs" -rss_limit_mb=64 -malloc_limit_mb=64 -max_len=8192 \
  -print_final_stats=1 corpus ../tests/fuzz/corpus ../tests/fixtures
