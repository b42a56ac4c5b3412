#!/usr/bin/env bash
# The Windows build of ptq, run under Wine, must read and write exactly the bytes of the
# native build: every catalog fixture through info, check and export (to a file and to the
# standard output), every exported JSON and the standard catalog through import (from a
# file and from the standard input), and a file name outside ASCII. Exit codes, standard
# output, standard error and written files are compared byte for byte.
#
#   compare_ptq.sh NATIVE_PTQ WINDOWS_PTQ_EXE WINE FIXTURES_DIR JSON...
set -uo pipefail

if [ $# -lt 4 ]; then
  echo "usage: $0 NATIVE_PTQ WINDOWS_PTQ_EXE WINE FIXTURES_DIR [JSON...]" >&2
  exit 2
fi
native=$(realpath "$1")
windows=$(realpath "$2")
wine=$3
fixtures=$(realpath "$4")
shift 4
extra_json=()
for json in "$@"; do extra_json+=("$(realpath "$json")"); done

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-ptq-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/native" "$work/windows"
cp "$fixtures"/*.ptq "$work/in/"
cp "$fixtures/catalog_v3.ptq" "$work/in/Katalog Čáp.ptq"
for json in "${extra_json[@]}"; do cp "$json" "$work/in/"; done

failures=0
compared_bytes=0
compared_runs=0

# run SIDE NAME ARGS... : runs one build in the folder of its side, with the inputs beside it.
run() {
  local side=$1 name=$2
  shift 2
  local dir="$work/$side"
  local stdin=/dev/null
  if [ "${RUN_STDIN:-}" ]; then stdin=$RUN_STDIN; fi
  if [ "$side" = native ]; then
    (cd "$dir" && "$native" "$@" <"$stdin" >"$name.out" 2>"$name.err")
  else
    (cd "$dir" && "$wine" "$windows" "$@" <"$stdin" >"$name.out" 2>"$name.err")
  fi
  echo $? >"$dir/$name.rc"
}

same() {
  local a=$1 b=$2 what=$3
  if ! cmp -s "$a" "$b"; then
    echo "DIFFERENT: $what"
    cmp "$a" "$b" | head -1
    failures=$((failures + 1))
    return 1
  fi
  compared_bytes=$((compared_bytes + $(stat -c %s "$a")))
  return 0
}

# compare NAME [OUTPUT_FILE]: the two runs NAME gave the same exit code, streams and file.
compare() {
  local name=$1 file=${2:-}
  compared_runs=$((compared_runs + 1))
  same "$work/native/$name.rc" "$work/windows/$name.rc" "$name: exit code" || true
  same "$work/native/$name.out" "$work/windows/$name.out" "$name: standard output" || true
  same "$work/native/$name.err" "$work/windows/$name.err" "$name: standard error" || true
  if [ -n "$file" ]; then
    if [ -e "$work/native/$file" ] || [ -e "$work/windows/$file" ]; then
      same "$work/native/$file" "$work/windows/$file" "$name: $file" || true
    fi
  fi
}

both() {
  run native "$@"
  run windows "$@"
}

for side in native windows; do cp "$work"/in/* "$work/$side/"; done

for path in "$work"/in/*.ptq; do
  f=$(basename "$path")
  both "info-$f" info "$f";               compare "info-$f"
  both "check-$f" check "$f";             compare "check-$f"
  both "export-$f" export "$f";           compare "export-$f"
  both "exportfile-$f" export "$f" -o "$f.json"; compare "exportfile-$f" "$f.json"
  # Two builds failing alike would prove nothing: every file but the broken ones must export.
  case "$f" in
    broken_*) ;;
    *) if [ "$(cat "$work/native/exportfile-$f.rc")" != 0 ]; then
         echo "NOT EXPORTED by the native build: $f"
         failures=$((failures + 1))
       fi ;;
  esac
done

# Every JSON the native build exported, and the JSON inputs, back to catalog files.
for path in "$work"/native/*.json; do
  j=$(basename "$path")
  [ -e "$work/windows/$j" ] || cp "$path" "$work/windows/$j"
  both "import-$j" import "$j" -o "$j.ptq";  compare "import-$j" "$j.ptq"
  RUN_STDIN="$path" both "importstdin-$j" import - -o "$j.stdin.ptq"
  compare "importstdin-$j" "$j.stdin.ptq"
done

# What the Windows build imported, exported again by the native build, and the reverse.
for path in "$work"/windows/*.json.ptq; do
  p=$(basename "$path")
  (cd "$work/windows" && "$native" export "$p" >"$p.native.json" 2>/dev/null)
  (cd "$work/native" && "$wine" "$windows" export "$p" >"$p.windows.json" 2>/dev/null)
  if [ -e "$work/native/$p" ]; then
    same "$work/windows/$p.native.json" "$work/native/$p.windows.json" "cross export of $p" || true
  fi
done

echo "ptq native/Windows: $compared_runs runs compared, $compared_bytes bytes compared, $failures differences"
[ "$failures" -eq 0 ]
