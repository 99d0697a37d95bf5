#!/usr/bin/env bash
# The Debian package: `cpack -G DEB` builds it; its file list and dependencies
# are printed and checked; dpkg installs it into a scratch root, the installed
# qelxformbatch converts the installed sample there, and a purge leaves
# nothing of it behind.
# Arguments: the build tree, the source tree.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/qel-deb-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
unset QELLAR_REGISTRY LD_LIBRARY_PATH
export LC_ALL=C.UTF-8 TEMP="$work/temp"
mkdir -p "$TEMP"

(cd "$build" && cpack -G DEB -B "$work/pkg" > "$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/pkg/*.deb)
echo "package: $(basename "$deb")"
dpkg-deb --field "$deb" Package Version Architecture Depends
files=$(dpkg-deb --contents "$deb" | awk '{print $NF}' | grep -v '/$')
echo "files:"
echo "$files"
depends=$(dpkg-deb --field "$deb" Depends)
for needed in libdb5.3 fonts-ipafont-gothic libc6; do
  [[ "$depends" == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
if grep -qx './usr/bin/qelxform' <<< "$files"; then
  for needed in libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins qt6-translations-l10n; do
    [[ "$depends" == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
  done
fi
grep -qx './etc/qellar2/registry.ini' <<< "$files" || fail "no registry file"
grep -qx './usr/bin/qelxformbatch' <<< "$files" || fail "no qelxformbatch in /usr/bin"
conffiles=$(dpkg-deb --info "$deb" conffiles)
grep -qx /etc/qellar2/registry.ini <<< "$conffiles" || fail "registry is no conffile: $conffiles"

# A scratch root with an empty package database; the dependencies are those
# of the machine itself, so they are not asked of the scratch database. The
# scratch root has no shell to run the package's scripts in: they run
# outside it, with an ldconfig that leaves the machine's cache alone.
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$work/stub"
touch "$root/var/lib/dpkg/status"
printf '#!/bin/sh\nexit 0\n' > "$work/stub/ldconfig"
chmod +x "$work/stub/ldconfig"
export PATH="$work/stub:$PATH"
dpkg_root=(dpkg --root="$root" --force-depends --force-not-root --force-script-chrootless
           --log=/dev/null)
"${dpkg_root[@]}" --install "$deb" > "$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg --install"; }
grep -qx "Path00=/usr/share/qellar2" "$root/etc/qellar2/registry.ini" || fail "registry content"

data="$root/usr/share/qellar2/samples"
"$root/usr/bin/qelxformbatch" /f sc /i "$data/SHAIN.DAT" /d "$data/SHAIN.FLF" \
  /o "$work/SHAIN.CSV" /n y || fail "the installed qelxformbatch"
[ "$(wc -l < "$work/SHAIN.CSV")" -eq 6 ] || fail "SHAIN.CSV has $(wc -l < "$work/SHAIN.CSV") lines"

if grep -rlF "$build" "$root/usr" "$root/etc"; then fail "installed files name the build tree"; fi

"${dpkg_root[@]}" --purge qellar > "$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg --purge"; }
left=$(cd "$root" && find . -mindepth 1 ! -path ./var ! -path ./var/lib ! -path './var/lib/dpkg*' | sort)
[ -z "$left" ] || fail "left after purge: $left"
echo "package installed, run and purged cleanly"
