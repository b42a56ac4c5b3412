#!/usr/bin/env bash
# Installs the Debian package into this machine as an administrator would, starts the installed
# program the first time as a member of the program's group with a fresh home folder, checks
# the catalog it made, then removes and purges the package: the catalog stays.
#
# It changes the machine (a package, a group, /etc/brevanti, /var/lib/brevanti), so it runs only
# as root (as CI does, on a throwaway machine) and only where Velmora is not installed and has
# no settings or catalog yet; anywhere else it reports itself skipped (exit 77). Whatever
# happens, it purges the package and removes what it made before it ends.
#
# Usage: install_package.sh PACKAGE_FOLDER VERSION (the folder holds one .deb)
set -uo pipefail

shopt -s nullglob
debs=("$1"/*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "FAIL: expected one package in $1, found ${#debs[@]}"; exit 1; }
deb=$(readlink -f "${debs[0]}")
version=$2
settings=/etc/brevanti/registry.reg
group=brevanti

skip() { echo "SKIPPED: $*"; exit 77; }
failed=0
fail() { echo "FAIL: $*"; failed=1; }
package_state() { dpkg-query -W -f='${Status}' velmora 2>/dev/null | awk '{print $3}'; }

[ "$(id -u)" -eq 0 ] || skip "installs into this machine, which needs root"
command -v apt-get >/dev/null || skip "no apt-get here"
state=$(package_state)
[ -z "$state" ] || [ "$state" = not-installed ] || skip "velmora is on this machine already ($state); left alone"
[ ! -e "$settings" ] || skip "$settings exists already; left alone"

# The common data folder, as the package's settings name it.
data=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ".$settings" |
    sed -n 's/^"CommonDataPath"="\(.*\)"\r\{0,1\}$/\1/p')
[ -n "$data" ] || { echo "FAIL: the package's settings name no CommonDataPath"; exit 1; }
folder="${data%/}/Velmora"
catalog="$folder/Potrubi.ptq"
[ ! -e "$catalog" ] || skip "$catalog exists already; left alone"

group_existed=0
getent group "$group" >/dev/null && group_existed=1
work=$(mktemp -d)
chmod 755 "$work"

cleanup() {
    set +e
    if [ "$(package_state)" != not-installed ] && [ -n "$(package_state)" ]; then
        dpkg --purge velmora >"$work/cleanup.log" 2>&1 || cat "$work/cleanup.log"
    fi
    rm -f "$catalog" "$catalog.bak"
    rmdir "$folder" "$data" 2>/dev/null
    [ "$group_existed" = 1 ] || groupdel "$group" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

export DEBIAN_FRONTEND=noninteractive
apt_get() {
    if ! apt-get -y --no-install-recommends "$@" >"$work/apt.log" 2>&1; then
        cat "$work/apt.log"
        echo "FAIL: apt-get $*"
        exit 1
    fi
}

# --- Install --------------------------------------------------------------------------------
apt_get install "$deb"
[ "$(package_state)" = installed ] || fail "package state after install: $(package_state)"
[ -f "$settings" ] || fail "$settings was not installed"
[ "$(stat -c '%a %U %G' "$folder" 2>/dev/null)" = "2775 root $group" ] ||
    fail "common data folder: $(stat -c '%a %U %G' "$folder" 2>&1), expected 2775 root $group"

for program in velmora ptq; do
    printed=$(QT_QPA_PLATFORM=offscreen "/usr/bin/$program" --version 2>&1)
    [ "${printed##* }" = "$version" ] || fail "$program --version printed '$printed', expected $version"
done

# --- First start, as an unprivileged member of the group with a fresh home ------------------
home="$work/home"
mkdir "$home"
chown nobody "$home"
start=$(date +%s%N)
env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen \
    setpriv --reuid=nobody --regid=nogroup --groups="$group" --inh-caps=-all \
    timeout 120 velmora --quit-after-start >"$work/velmora.log" 2>&1
status=$?
echo "first start and close took $((($(date +%s%N) - start) / 1000000)) ms"
[ "$status" -eq 0 ] || { cat "$work/velmora.log"; fail "velmora ended with $status"; }
# The first start says that it takes the standard catalog (the box, written to standard error).
grep -q "Bude načten standardní soubor" "$work/velmora.log" ||
    { cat "$work/velmora.log"; fail "no first-start message"; }

if [ ! -f "$catalog" ]; then
    fail "the first start made no $catalog"
else
    [ "$(stat -c '%U %G' "$catalog")" = "nobody $group" ] ||
        fail "catalog owned by $(stat -c '%U %G' "$catalog"), expected nobody $group"
    /usr/bin/ptq info "$catalog" >"$work/user.info" 2>&1 || fail "ptq info on the user catalog: $(cat "$work/user.info")"
    /usr/bin/ptq info /usr/share/brevanti/Velmora/Potrubi_std.ptq >"$work/std.info" 2>&1
    grep -q '^materials: [1-9]' "$work/std.info" || fail "standard catalog: $(cat "$work/std.info")"
    # Same materials and profiles as the standard catalog, field for field.
    /usr/bin/ptq export "$catalog" -o "$work/user.json" &&
        /usr/bin/ptq export /usr/share/brevanti/Velmora/Potrubi_std.ptq -o "$work/std.json" &&
        python3 - "$work/user.json" "$work/std.json" <<'EOF' || fail "the user catalog does not hold the standard materials"
import json, sys
user, std = (json.load(open(p))["materials"] for p in sys.argv[1:3])
key = lambda m: m["name"]
if sorted(user, key=key) != sorted(std, key=key):
    print("user:", [m["name"] for m in user])
    print("standard:", [m["name"] for m in std])
    sys.exit(1)
print(f"user catalog holds the {len(std)} standard materials")
EOF
    cat "$work/user.info"
fi
[ ! -e "$home/.config/brevanti" ] || fail "the program wrote settings into the home folder"
sha256sum "$catalog" >"$work/catalog.sum" 2>/dev/null

# --- Remove, then purge: the catalog stays ---------------------------------------------------
apt_get remove velmora
[ "$(package_state)" = config-files ] || fail "package state after remove: $(package_state)"
[ ! -e /usr/bin/velmora ] || fail "/usr/bin/velmora left after remove"
sha256sum --quiet -c "$work/catalog.sum" || fail "the catalog changed or went with the remove"

apt_get purge velmora
[ "$(package_state)" = not-installed ] || [ -z "$(package_state)" ] || fail "package state after purge: $(package_state)"
[ ! -e "$settings" ] || fail "$settings left after purge"
sha256sum --quiet -c "$work/catalog.sum" || fail "the catalog changed or went with the purge"
if dpkg-statoverride --list "$folder" >/dev/null; then fail "statoverride of $folder left after purge"; fi

[ "$failed" -eq 0 ] && echo "install, first start, remove and purge checked"
exit "$failed"
