#!/usr/bin/env bash
# The program's command line as automated runs use it: --help, and --quit-after-start on the
# first start (the standard catalog becomes the user catalog, the box goes to standard error)
# and on a later start (nothing is written, nothing asked).
# Usage: test_quit_after_start.sh VELMORA STANDARD_CATALOG PTQ
set -uo pipefail
velmora=$1 standard=$2 ptq=$3
failed=0
fail() { echo "FAIL: $*"; failed=1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$velmora" --help >"$work/help" 2>&1 || fail "--help exit code"
grep -q '^usage: velmora' "$work/help" || fail "--help printed: $(cat "$work/help")"
grep -q 'quit-after-start' "$work/help" && fail "--help offers the option for automated runs"

mkdir -p "$work/install/Velmora" "$work/data" "$work/home"
cp "$standard" "$work/install/Velmora/Potrubi_std.ptq"
printf 'Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Brevanti]\n"CommonInstallPath"="%s"\n"CommonDataPath"="%s"\n' \
    "$work/install" "$work/data" >"$work/machine.reg"
run() {
    env -i PATH=/usr/bin:/bin HOME="$work/home" QT_QPA_PLATFORM=offscreen \
        VELMORA_MACHINE_REGISTRY="$work/machine.reg" VELMORA_USER_REGISTRY="$work/none.reg" \
        timeout 60 "$velmora" --quit-after-start >"$work/out" 2>&1
}

run; status=$?
[ "$status" -eq 0 ] || fail "first start ended with $status: $(cat "$work/out")"
grep -q "^Materiály potrubí: Nelze otevřít soubor:$" "$work/out" &&
    grep -q "^Bude načten standardní soubor$" "$work/out" || fail "first start wrote: $(cat "$work/out")"
catalog="$work/data/Velmora/Potrubi.ptq"
cmp -s <("$ptq" export "$catalog") <("$ptq" export "$standard") ||
    fail "the user catalog is not the standard catalog"

cp "$catalog" "$work/before"
run; status=$?
[ "$status" -eq 0 ] || fail "later start ended with $status"
grep -q "Materiály potrubí" "$work/out" && fail "later start showed: $(cat "$work/out")"
cmp -s "$catalog" "$work/before" || fail "a later start changed the catalog"
[ ! -e "$catalog.bak" ] || fail "a later start saved the catalog"

[ "$failed" -eq 0 ] && echo "help, first and later start checked"
exit "$failed"
