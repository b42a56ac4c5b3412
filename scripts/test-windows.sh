#!/usr/bin/env bash
# Builds the catalog library, ptq and the catalog tests for Windows (MinGW-w64) and runs the
# tests under Wine in a throwaway Wine prefix. Installs what is missing first. Needs no display.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/install-windows-deps.sh

# The native ptq, which the Windows one must match byte for byte (already built when the
# native build ran first).
native_dir=${VELMORA_BUILD_DIR:-build}
if [ ! -f "$native_dir/build.ninja" ]; then
  cmake -S . -B "$native_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$native_dir" --target ptq

build_dir=${VELMORA_WINDOWS_BUILD_DIR:-build-windows}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DVELMORA_BUILD_DIALOGS=OFF -DVELMORA_BUILD_BENCHMARKS=OFF \
  -DVELMORA_NATIVE_PTQ="$(realpath "$native_dir")/tools/ptq/ptq"
cmake --build "$build_dir"

# A fresh prefix per run: no registry values or files of an earlier run are seen. No display
# is used, and Wine is kept from offering to install Mono and Gecko.
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/velmora-wine.XXXXXX")
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The registry of this prefix is scratch: the tests may rewrite Software\Brevanti in it.
export VELMORA_SCRATCH_REGISTRY=1
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
# One persistent wine server for all the tests instead of one per test program.
wineserver -p
wineboot -i >/dev/null 2>&1

ctest --test-dir "$build_dir" --output-on-failure
