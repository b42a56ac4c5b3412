#!/usr/bin/env bash
# Starts Velmora from this source tree: installs what is missing, builds the program and the
# standard catalog, writes a per-user settings file when there is none, and starts it.
#
# The settings file names the build's share/brevanti folder as the install folder (its
# Velmora/Potrubi_std.ptq is the standard catalog) and ${XDG_DATA_HOME:-~/.local/share}/brevanti
# as the data folder (its Velmora/Potrubi.ptq becomes the user catalog on the first start).
# An existing settings file is left as it is. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build_dir=${VELMORA_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build_dir" --target velmora standard_catalog

# The per-user settings file, where the program looks for it.
config_home=${XDG_CONFIG_HOME:-}
case "$config_home" in /*) ;; *) config_home=$HOME/.config ;; esac
settings=${VELMORA_USER_REGISTRY:-$config_home/brevanti/registry.reg}

# A path as a quoted registry string: backslashes and quotes escaped.
reg_string() {
  local s=${1//\\/\\\\}
  printf '"%s"' "${s//\"/\\\"}"
}

if [ ! -e "$settings" ]; then
  install_dir=$(cd "$build_dir" && pwd)/share/brevanti
  data_home=${XDG_DATA_HOME:-}
  case "$data_home" in /*) ;; *) data_home=$HOME/.local/share ;; esac
  data_dir=$data_home/brevanti
  mkdir -p "$(dirname "$settings")" "$data_dir"
  {
    printf 'Windows Registry Editor Version 5.00\n\n'
    printf '[HKEY_CURRENT_USER\\Software\\Brevanti]\n'
    printf '"CommonInstallPath"=%s\n' "$(reg_string "$install_dir")"
    printf '"CommonDataPath"=%s\n' "$(reg_string "$data_dir")"
  } > "$settings"
  echo "Settings written to $settings (install folder $install_dir, data folder $data_dir)"
fi

exec "$build_dir/Velmora/velmora" "$@"
