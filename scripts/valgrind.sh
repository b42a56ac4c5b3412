#!/usr/bin/env bash
# Runs every catalog library test of a normal (not sanitized) build under Valgrind's memory
# checker: any invalid access, use of uninitialised memory or leak fails the run.
#   scripts/valgrind.sh [BUILD_DIR]      (default build; built first if needed)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build_dir=${1:-${VELMORA_BUILD_DIR:-build}}
if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
if grep -q '^VELMORA_SANITIZE:BOOL=ON' "$build_dir/CMakeCache.txt"; then
  echo "$build_dir is a sanitizer build; Valgrind needs a normal one" >&2
  exit 2
fi

tests=()
for test in "$build_dir"/tests/catalog/test_*; do
  [ -f "$test" ] && [ -x "$test" ] && tests+=("$test")
done
if [ ${#tests[@]} -eq 0 ]; then
  cmake --build "$build_dir"
  for test in "$build_dir"/tests/catalog/test_*; do
    [ -f "$test" ] && [ -x "$test" ] && tests+=("$test")
  done
fi

log_dir=$build_dir/valgrind
mkdir -p "$log_dir"
passed=0
failed=0
for test in "${tests[@]}"; do
  name=$(basename "$test")
  start=$SECONDS
  if (cd "$(dirname "$test")" && valgrind --leak-check=full --show-leak-kinds=definite,indirect \
        --errors-for-leak-kinds=definite,indirect --error-exitcode=1 --track-origins=yes \
        --child-silent-after-fork=yes --quiet "./$name" --gtest_brief=1) >"$log_dir/$name.log" 2>&1; then
    passed=$((passed + 1))
    echo "valgrind $name: clean ($((SECONDS - start)) s)"
  else
    failed=$((failed + 1))
    echo "valgrind $name: FAILED ($((SECONDS - start)) s); the end of $log_dir/$name.log:"
    tail -n 40 "$log_dir/$name.log"
  fi
done
echo "valgrind: $passed passed, $failed failed"
[ $failed -eq 0 ]
