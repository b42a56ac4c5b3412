#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#   1. the native build and its suite, then the dialog tests that involve focus, message boxes,
#      balloons and tooltips on X11 under a window manager and on Wayland
#      (scripts/desktop-check.sh);
#   2. the same suite in a build with AddressSanitizer and UndefinedBehaviorSanitizer
#      (scripts/test-sanitize.sh);
#   3. every fuzz target for a few thousand executions (scripts/fuzz.sh --check);
#   4. only with VELMORA_VALGRIND_TESTS=1: the catalog library's tests under Valgrind
#      (scripts/valgrind.sh; minutes more, and the sanitizer run already checks memory);
#   5. the Windows build of the catalog library, ptq and their tests under Wine
#      (scripts/test-windows.sh).
# VELMORA_DESKTOP_TESTS=0, VELMORA_SANITIZER_TESTS=0, VELMORA_FUZZ_TESTS=0 and VELMORA_WINDOWS_TESTS=0 leave the
# respective part out.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build_dir=${VELMORA_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build_dir"
ctest --test-dir "$build_dir" --output-on-failure

if [ "${VELMORA_DESKTOP_TESTS:-1}" != 0 ]; then
  VELMORA_BUILD_DIR="$build_dir" scripts/desktop-check.sh
fi

if [ "${VELMORA_SANITIZER_TESTS:-1}" != 0 ]; then
  scripts/test-sanitize.sh
fi

if [ "${VELMORA_FUZZ_TESTS:-1}" != 0 ]; then
  scripts/fuzz.sh --check
fi

if [ "${VELMORA_VALGRIND_TESTS:-0}" != 0 ]; then
  scripts/valgrind.sh "$build_dir"
fi

if [ "${VELMORA_WINDOWS_TESTS:-1}" != 0 ]; then
  VELMORA_BUILD_DIR="$build_dir" scripts/test-windows.sh
fi
