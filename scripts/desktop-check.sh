#!/usr/bin/env bash
# Runs the dialog tests that involve focus, message boxes, balloons and tooltips on real
# desktops instead of Qt's off-screen platform, and starts the program there once:
#   1. X11 (Xvfb) under the openbox window manager, without a compositor;
#   2. the same with a compositing manager (xcompmgr);
#   3. Wayland, under a headless weston.
# Screenshots of the X11 runs (balloon, tooltip, DN drop-down, the selection dialog's details)
# go to $VELMORA_BUILD_DIR/desktop-check/ (build/ by default) when ImageMagick's import is there.
# Expects a built tree (scripts/test.sh runs it after the native suite; on its own, build first
# with cmake --build build). Takes about half a minute.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${VELMORA_BUILD_DIR:-build}
tests_dir=$build_dir/tests/dialogs
out=$build_dir/desktop-check
mkdir -p "$out"
rm -f "$out"/*.png

# The tests read no settings of the machine or its user, as under ctest.
export VELMORA_MACHINE_REGISTRY=$PWD/$build_dir/no-machine-settings.reg
export VELMORA_USER_REGISTRY=$PWD/$build_dir/no-user-settings.reg
export VELMORA_SCREENSHOT_DIR=$PWD/$out

x11_tests=(test_catalogdialog_desktop test_catalogdialog_keyboard test_treelist_editing test_windowservices)
# A headless weston has no seat (no keyboard, so no keyboard focus): there the balloon, the
# tooltip and the drop-down are checked, the focus on X11.
wayland_functions=(balloonOpensUnderItsFieldInTheDesktopsForm toolTipOpensAtItsControl dnDropDownAndDisabledDetailsAsShown)

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

# The program itself on the current desktop: started with a settings file of its own, it must
# still be running (showing its dialog) after a few seconds.
start_program() {
  local settings data
  data=$(mktemp -d)
  settings=$data/registry.reg
  printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Brevanti]\n"CommonInstallPath"="%s"\n"CommonDataPath"="%s"\n' \
    "$PWD/$build_dir/share/brevanti" "$data" > "$settings"
  local status=0
  VELMORA_USER_REGISTRY=$settings timeout 4 "$build_dir/Velmora/velmora" >/dev/null 2>&1 || status=$?
  rm -rf "$data"
  if [ "$status" != 124 ]; then
    echo "velmora ended by itself (status $status) instead of showing its dialog" >&2
    return 1
  fi
  echo "velmora started and showed its dialog"
}

run_x11() {
  local compositor=$1 display number_file=$out/display
  # The server picks a free display number and writes it out (other servers may be running).
  rm -f "$number_file"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$number_file" ] && break; sleep 0.1; done
  display=:$(tr -d '[:space:]' < "$number_file")
  DISPLAY=$display openbox >/dev/null 2>&1 &
  pids+=($!)
  if [ "$compositor" = yes ]; then
    DISPLAY=$display xcompmgr >/dev/null 2>&1 &
    pids+=($!)
  fi
  sleep 1
  echo "== X11, openbox, compositor: $compositor"
  for t in "${x11_tests[@]}"; do
    DISPLAY=$display QT_QPA_PLATFORM=xcb "$tests_dir/$t" -silent
  done
  if [ "$compositor" = no ]; then DISPLAY=$display QT_QPA_PLATFORM=xcb start_program; fi
  cleanup
  pids=()
}

run_wayland() {
  local runtime
  runtime=$(mktemp -d)
  chmod 700 "$runtime"
  XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --socket=velmora-check --idle-time=0 \
    >"$out/weston.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do [ -S "$runtime/velmora-check" ] && break; sleep 0.1; done
  echo "== Wayland, weston (headless)"
  # Qt's Wayland text input needs a seat; the compose input context does without.
  XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=velmora-check QT_QPA_PLATFORM=wayland QT_IM_MODULE=compose \
    "$tests_dir/test_catalogdialog_desktop" -silent "${wayland_functions[@]}"
  XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=velmora-check QT_QPA_PLATFORM=wayland QT_IM_MODULE=compose start_program
  cleanup
  pids=()
  rm -rf "$runtime"
}

run_x11 no
run_x11 yes
run_wayland
ls "$out"/*.png 2>/dev/null || true
