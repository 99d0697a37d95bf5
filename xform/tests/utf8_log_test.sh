#!/usr/bin/env bash
# The conversion log under each kind of locale: with UTF-8, a conversion of a
# file with a Japanese name writes a log that is UTF-8 throughout and shows
# the name, in the System Information block and in a message naming the
# file; with the C locale, the log stays CP932.
# Arguments: the qelxformbatch program, the samples folder.
set -euo pipefail
batch=$(realpath "$1")
samples=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/qel-utf8log-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
export TEMP="$work"
cp "$samples/SHAIN.DAT" "$work/社員データ.DAT"

LC_ALL=C.UTF-8 "$batch" /f sc /i "$work/社員データ.DAT" /d "$samples/SHAIN.FLF" \
  /o "$work/社員.CSV" /n y || fail "the conversion"
iconv -f UTF-8 -t UTF-8 "$work/qelxform.LOG" > /dev/null || fail "the log is not UTF-8"
grep -qF "社員データ.DAT" "$work/qelxform.LOG" || fail "the log does not show the name"
grep -qF "KXFM2704-I 変換レコード  5件。" "$work/qelxform.LOG" || fail "no count line"

# A message with the name as its insert.
if LC_ALL=C.UTF-8 "$batch" /f sc /i "$work/存在しない.DAT" /d "$samples/SHAIN.FLF" \
     /o "$work/x.CSV" > "$work/out.txt"; then fail "a missing input converted"; fi
iconv -f UTF-8 -t UTF-8 "$work/qelxform.LOG" > /dev/null || fail "the failure log is not UTF-8"
grep -F "存在しない.DAT" "$work/qelxform.LOG" | grep -qF "KRAC3610-E" || {
  cat "$work/qelxform.LOG"; fail "the message line does not show the name"; }

# The C locale: CP932 as before.
LC_ALL=C "$batch" /f sc /i "$samples/SHAIN.DAT" /d "$samples/SHAIN.FLF" /o "$work/c.CSV" /n y
iconv -f CP932 -t UTF-8 "$work/qelxform.LOG" | grep -qF "KXFM2704-I 変換レコード  5件。" ||
  fail "the log under the C locale is not CP932"
echo "logs: UTF-8 under a UTF-8 locale with the Japanese name, CP932 under the C locale"
