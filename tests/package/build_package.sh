#!/usr/bin/env bash
# Packs the already built tree into the Debian package (no rebuild: cpack installs what the
# build made). Usage: build_package.sh BUILD_DIR OUT_DIR
set -euo pipefail
build=$1
out=$2

rm -rf "$out"
mkdir -p "$out"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || {
    cat "$out/cpack.log"
    exit 1
}
shopt -s nullglob
debs=("$out"/*.deb)
if [ ${#debs[@]} -ne 1 ]; then
    cat "$out/cpack.log"
    echo "expected one package in $out, found ${#debs[@]}" >&2
    exit 1
fi
echo "built ${debs[0]}"
