#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the native build, then the
# Windows build of the catalog library, ptq and their tests under Wine (scripts/test-windows.sh).
# VELMORA_WINDOWS_TESTS=0 leaves the Windows build out.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build_dir=${VELMORA_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build_dir"
ctest --test-dir "$build_dir" --output-on-failure

if [ "${VELMORA_WINDOWS_TESTS:-1}" != 0 ]; then
  VELMORA_BUILD_DIR="$build_dir" scripts/test-windows.sh
fi
