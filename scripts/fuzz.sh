#!/usr/bin/env bash
# Fuzzes the readers with libFuzzer: a clang build with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/ (the catalog library, the fuzz targets and the
# JSON sources of ptq they need; no Qt), each target seeded with tests/fuzz/corpus/<target>.
#
#   scripts/fuzz.sh [RUNS] [TARGET...]   a campaign: RUNS executions per target (default
#                                        1000000), every target unless some are named
#   scripts/fuzz.sh --check              the test command's short run: a few thousand
#                                        executions per target from the seeds alone
#
# Targets: fuzz_catalog_reader (file mode), fuzz_catalog_project (project mode with the
# reconciliation), fuzz_settings_reader, fuzz_ptq_import, fuzz_ptq_csv and fuzz_ptq_xlsx (the
# spreadsheet readers of ptq import). A campaign keeps what it finds in
# build-fuzz/corpus/<target> for the next one and leaves a failing input in
# build-fuzz/findings/<target>/. Any crash, leak, timeout (10 s) or allocation of 64 MB or
# more stops the target and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

check=0
if [ "${1:-}" = --check ]; then
  check=1
  shift
fi
runs=1000000
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  runs=$1
  shift
fi
all_targets=(fuzz_catalog_reader fuzz_catalog_project fuzz_settings_reader fuzz_ptq_import fuzz_ptq_csv fuzz_ptq_xlsx)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

scripts/install-deps.sh

build_dir=${VELMORA_FUZZ_BUILD_DIR:-build-fuzz}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DVELMORA_BUILD_DIALOGS=OFF -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCHMARKS=OFF \
  -DVELMORA_BUILD_FUZZERS=ON >/dev/null
cmake --build "$build_dir" --target "${targets[@]}"

# A small AddressSanitizer quarantine keeps the process's memory close to what the reader
# itself uses. The limits: one allocation of 64 MB or more is a finding (no catalog, settings
# file or JSON text of a few kB needs that); the resident limit only guards the machine, as it
# also counts the sanitizers' and libFuzzer's own bookkeeping.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=4:malloc_context_size=4}
limits=(-malloc_limit_mb=64 -rss_limit_mb=256 -timeout=10 -max_len=8192)

failed=0
for target in "${targets[@]}"; do
  binary=$root/$build_dir/tests/fuzz/$target
  seeds=("$root/tests/fuzz/corpus/$target")
  # The golden files are seeds of the file-mode reader as well.
  [ "$target" != fuzz_catalog_reader ] || seeds+=("$root/tests/fixtures")
  findings=$root/$build_dir/findings/$target
  mkdir -p "$findings"
  if [ $check = 1 ]; then
    # New inputs go to a scratch folder, so every check starts from the committed seeds.
    scratch=$(mktemp -d "$root/$build_dir/check.XXXXXX")
    echo "== $target: ${VELMORA_FUZZ_CHECK_RUNS:-4000} executions"
    if ! "$binary" -runs="${VELMORA_FUZZ_CHECK_RUNS:-4000}" -seed=1 "${limits[@]}" \
        -artifact_prefix="$findings/" -print_final_stats=1 "$scratch" "${seeds[@]}" \
        >"$findings/check.log" 2>&1; then
      tail -n 60 "$findings/check.log"
      failed=1
    else
      grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$findings/check.log" || true
    fi
    rm -rf "$scratch"
  else
    corpus=$root/$build_dir/corpus/$target
    mkdir -p "$corpus"
    echo "== $target: $runs executions (corpus $corpus)"
    (cd "$findings" && "$binary" -runs="$runs" "${limits[@]}" -artifact_prefix="$findings/" \
        -print_final_stats=1 "$corpus" "${seeds[@]}") || failed=1
  fi
done
exit $failed
