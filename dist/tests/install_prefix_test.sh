#!/usr/bin/env bash
# The install as a user makes it: `cmake --install` to a scratch prefix, the
# build tree moved away, then the installed console programs run on the
# installed samples, the installed libraries find one another through their
# run path, the installed suite finds its installation directory through the
# registry file the install wrote, and no installed file names the build or
# source tree.
# Arguments: the build tree, the source tree.
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/qel-install-XXXXXX")
prefix="$work/prefix"
moved="$build.moved-$$"
restore() {
  if [ -d "$moved" ] && [ ! -e "$build" ]; then mv "$moved" "$build"; fi
  rm -rf "$work"
}
trap restore EXIT
fail() { echo "FAILED: $*"; exit 1; }
unset QELLAR_REGISTRY LD_LIBRARY_PATH
export LC_ALL=C.UTF-8 TEMP="$work/temp"
mkdir -p "$TEMP" "$work/out"

cmake --install "$build" --prefix "$prefix" > "$work/install.log" || {
  cat "$work/install.log"; fail "cmake --install"; }
echo "installed files:"
(cd "$prefix" && find . -type f | sort)

data="$prefix/share/qellar2"
registry="$prefix/etc/qellar2/registry.ini"
[ -f "$registry" ] || fail "no registry file $registry"
grep -qx "Path00=$data" "$registry" || fail "registry: $(cat "$registry")"
grep -qx "CurrentVersion=3.0" "$registry" || fail "registry: $(cat "$registry")"
for page in qelxformbatch qelreworkbatch qelidx qeldef; do
  [ -f "$prefix/share/man/man1/$page.1" ] || fail "no man page for $page"
done

mv "$build" "$moved"

# Conversion to CSV and back, from the installed place.
bin="$prefix/bin"
"$bin/qelxformbatch" /f sc /i "$data/samples/SHAIN.DAT" /d "$data/samples/SHAIN.FLF" \
  /o "$work/out/SHAIN.CSV" /n y || fail "qelxformbatch sc"
[ "$(wc -l < "$work/out/SHAIN.CSV")" -eq 6 ] || fail "SHAIN.CSV has $(wc -l < "$work/out/SHAIN.CSV") lines"
"$bin/qelxformbatch" /f cs /i "$work/out/SHAIN.CSV" /d "$data/samples/SHAIN.FLF" \
  /o "$work/out/BACK.DAT" /n y || fail "qelxformbatch cs"
cmp "$data/samples/SHAIN.DAT" "$work/out/BACK.DAT" || fail "the round trip changed the data"

# An indexed file: qelidx builds it, qelxformbatch reads it through
# libidxfile.so, loaded by name from the installed library directory.
printf 'RECSIZE 64\nKEY 0:6:CHAR\n' > "$work/out/SHAINIX.kdf"
"$bin/qelidx" build "$work/out/SHAINIX.kdf" "$data/samples/SHAIN.DAT" || fail "qelidx build"
sed 's/FIOR S ; RFOR FB/FIOR VK ; RFOR FB/' "$data/samples/SHAIN.FLF" > "$work/out/SHAINIX.FLF"
cp "$data/samples/SHAIN.RDF" "$work/out/"
"$bin/qelxformbatch" /f ic /i "$work/out/SHAINIX.kdf" /d "$work/out/SHAINIX.FLF" \
  /o "$work/out/SHAINIX.CSV" /n y || fail "qelxformbatch ic"
cmp "$work/out/SHAIN.CSV" "$work/out/SHAINIX.CSV" || fail "the indexed file converts differently"

# A rework procedure selecting every employee but E00003.
start='*************    RWORK  PARAMETER  FILE  START    *************'
end='**************    RWORK  PARAMETER  FILE  END    **************'
printf '%s\nCOM;\nINDATA=%s;\nINDEF=%s;\nOUTDATA=%s;\nENDIAN=LITTLE;\nBLANK=FALSE;\nED=APPOINT;\nCOPY=NO;\nMETAONE=?;\nMETAALL=*;\nSELORDER=1;\nCOM_END;\nSEL;\nKEY=社員レコード.社員番号;\nJUDGE=!=;\nCOMP=""E00003;\nSEL_END;\n%s\n' \
  "$start" "$data/samples/SHAIN.DAT" "$data/samples/SHAIN.FLF" "$work/out/SELECTED.DAT" "$end" |
  iconv -f UTF-8 -t CP932 > "$work/out/select.rwp"
message=$("$bin/qelreworkbatch" "$work/out/select.rwp") || fail "qelreworkbatch: $message"
[ "$message" == "KRWN2052-I 入力レコード5件，出力レコード4件。" ] || fail "qelreworkbatch: $message"
[ "$(stat -c %s "$work/out/SELECTED.DAT")" -eq 256 ] || fail "SELECTED.DAT is not 4 records"

# The installation directory, as an installed program reads it: a probe
# linked against the installed message library, run from the installed bin.
if command -v cc > /dev/null; then
  printf '#include <stdio.h>\n#include "message/qelmessage.h"\nint main(void) { char d[KMSO_INSTDIR_SIZE]; KMSOGetInstDir(d); puts(d); return 0; }\n' > "$work/probe.c"
  cc -o "$bin/qel-instdir-probe" -I"$source" "$work/probe.c" -L"$prefix/lib/qellar2" -lqelmessage \
    -Wl,-rpath,'$ORIGIN/../lib/qellar2' || fail "the probe does not build"
  instdir=$("$bin/qel-instdir-probe")
  rm -f "$bin/qel-instdir-probe"
  [ "$instdir" == "$data" ] || fail "installation directory '$instdir', expected '$data'"
  for page in qelxform qelrework qelrevise qelstart; do
    [ ! -x "$bin/$page" ] || [ -f "$instdir/$page.html" ] || fail "no help for $page in $instdir"
  done
fi

# The desktop entries and file types, checked by the desktop's own tools
# where they are installed.
if command -v desktop-file-validate > /dev/null; then
  for entry in "$prefix"/share/applications/*.desktop; do
    desktop-file-validate "$entry" || fail "$entry"
  done
fi
if command -v update-mime-database > /dev/null; then
  cp -r "$prefix/share/mime" "$work/mime"
  update-mime-database "$work/mime" > /dev/null 2>&1 || fail "update-mime-database"
  for type in menu:qlm procedure:rwp definition:flf; do
    grep -q "^50:application/x-qellar-${type%%:*}:\*.${type#*:}\$" "$work/mime/globs2" ||
      fail "no file type for .${type#*:}"
  done
  for entry in "$prefix"/share/applications/*.desktop; do
    while IFS= read -r mime; do
      [ -z "$mime" ] || grep -q "^$mime\$" "$work/mime/types" || fail "$entry names unknown $mime"
    done < <(sed -n 's/^MimeType=//p' "$entry" | tr ';' '\n')
  done
fi

# Nothing installed points back at the trees the suite was built from.
if grep -rlF -e "$build" -e "$source" "$prefix"; then fail "installed files name the build tree"; fi
for program in "$bin"/*; do
  if ldd "$program" | grep -q "not found"; then ldd "$program"; fail "$program misses a library"; fi
done
echo "install to $prefix: programs, samples, registry and help work with the build tree moved away"
