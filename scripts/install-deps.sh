#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Velmora need.
# Quick when everything is already there: apt is asked only for what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git python3
  qt6-base-dev libgl-dev libxcb1-dev
  libgtest-dev libgmock-dev libbenchmark-dev librapidcheck-dev
  nlohmann-json3-dev libxlsxwriter-dev liborcus-dev libzip-dev
  clang libclang-rt-14-dev libfuzzer-14-dev valgrind
  xvfb xauth fonts-dejavu-core
  openbox xcompmgr weston qt6-wayland
  qt6-svg-dev qt6-translations-l10n dpkg-dev desktop-file-utils lintian
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
