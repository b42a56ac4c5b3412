#!/usr/bin/env bash
# Builds the whole project (dialogs, programs and tests) with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-sanitize/ and runs the test suite in it: any invalid
# memory access, leak or undefined behaviour fails the test that met it. Installs what is
# missing first. Qt's tests run on the offscreen platform, as in the normal build.
#
# Left out: the Debian package tests, which pack, install and remove the build tree's files
# (the normal run covers them; a sanitizer build is no package).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build_dir=${VELMORA_SANITIZE_BUILD_DIR:-build-sanitize}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELMORA_SANITIZE=ON -DVELMORA_BUILD_BENCHMARKS=OFF
cmake --build "$build_dir"

# Leaks inside the system's libraries (fontconfig, Qt's platform plugins) are theirs to fix and
# are suppressed by library name; nothing of ours is ever suppressed.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:check_initialization_order=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/sanitizers/lsan-third-party.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

ctest --test-dir "$build_dir" --output-on-failure -E '^package_'
