#!/bin/bash
# The console converter with the CSV side in UTF-8 (/c u), as a Linux user
# meets it: the bundled sample converted to UTF-8 is read by Python's csv
# module, and every value must equal the item decoded from the record bytes
# by a small model written here; the CSV converted back gives the original
# bytes. /c is refused with its message when its value is wrong, and ignored
# by the kinds without a CSV file.
# Arguments: the folder of qelxformbatch, the folder of the sample files.
set -euo pipefail
bin=$(realpath "$1")
samples=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/xform-utf8-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
export TEMP="$work"
xform="$bin/qelxformbatch"
cp "$samples/SHAIN.DAT" "$samples/SHAIN.FLF" "$samples/SHAIN.RDF" .

fail() { echo "FAILED: $*"; exit 1; }

"$xform" /f sc /i SHAIN.DAT /d SHAIN.FLF /o SHAIN.CSV /n y /c u > out.txt ||
  fail "sc /c u: $(cat out.txt)"

# The model: the record definition's items (groups and FILLER left out,
# OCCURS unrolled), decoded from the record bytes into the text forms of
# the converter, compared with what csv.reader gives.
python3 - <<'PYTHON' || fail "Python's csv module reads other values than the items hold"
import csv, re

def items():
    out = []
    for line in open("SHAIN.RDF", encoding="cp932"):
        if not line.startswith("ITMR"):
            continue
        f = dict(re.findall(r"(\w{4}) (\S+) ;", line))
        if f["DTAT"] == "G" or f["DTNM"] == "FILLER":
            continue
        whole, _, frac = f["DALE"].partition(".")
        digits, scale = int(whole) + int(frac or 0), int(frac or 0)
        kind = f["DTAT"]
        size = {"X": digits, "N": 2 * digits, "9": digits, "S": digits, "P": digits // 2 + 1}[kind]
        for k in range(max(int(f["ANUM"]), 1)):
            out.append((f["DTNM"], kind, int(f["BURL"]) + k * size, size, scale))
    return out

def number(digit_text, negative, scale):
    whole, frac = digit_text[:len(digit_text) - scale], digit_text[len(digit_text) - scale:]
    whole = whole.lstrip("0") or ("0" if whole else "")
    return ("-" if negative else "") + whole + ("." + frac if scale else "")

def decode(kind, raw, scale):
    if kind in "XN":
        return raw.decode("cp932")
    if kind == "9":
        return number(raw.decode("ascii"), False, scale)
    if kind == "S":  # sign in the zone of the last byte
        last = raw[-1]
        return number(raw[:-1].decode("ascii") + str(last & 0x0F), (last & 0x70) == 0x70, scale)
    nibbles = "".join("%02x" % b for b in raw)
    return number(nibbles[:-1], nibbles[-1] == "d", scale)

layout = items()
data = open("SHAIN.DAT", "rb").read()
rows = list(csv.reader(open("SHAIN.CSV", encoding="utf-8", newline="")))
assert rows[0] == [name for name, *_ in layout], rows[0]
length = 64
assert len(rows) - 1 == len(data) // length == 5, len(rows)
for n, row in enumerate(rows[1:]):
    record = data[n * length:(n + 1) * length]
    expected = [decode(kind, record[at:at + size], scale) for _, kind, at, size, scale in layout]
    assert row == expected, (n + 1, row, expected)
# Readable Japanese, not bytes: the first name as a person reads it.
assert rows[1][1].rstrip("\u3000") == "山田\u3000太郎", rows[1][1]
PYTHON

"$xform" /f cs /i SHAIN.CSV /d SHAIN.FLF /o BACK.DAT /n y /c u > out.txt ||
  fail "cs /c u: $(cat out.txt)"
cmp -s SHAIN.DAT BACK.DAT || fail "the UTF-8 CSV converted back differs from the sample"

# A wrong /c value: its own message and exit code 1, nothing converted.
if "$xform" /f sc /i SHAIN.DAT /d SHAIN.FLF /o X.OUT /c x > out.txt; then fail "/c x ran"; fi
grep -q "KXFM3767-E" out.txt || fail "/c x: $(cat out.txt)"
[ ! -e X.OUT ] || fail "/c x wrote an output"

# st, ts and vs have no CSV file: /c, right or wrong, changes nothing.
python3 - <<'PYTHON'
import struct
header = bytearray(128)
header[8:14] = b"FSV   "
header[64:72] = struct.pack("<II", 10, 1)
body = b"".join(struct.pack("<I", len(r)) + r for r in (b"abc", b"0123456789", b"xy"))
open("IN.VAR", "wb").write(bytes(header) + body)
PYTHON
run_plain() {  # run_plain TAG OPTIONS...: st, ts and vs into files named by TAG
  local tag=$1
  shift
  "$xform" /f st /i SHAIN.DAT /o "ST$tag.TXT" /l 64 "$@" > out.txt || fail "st $*: $(cat out.txt)"
  "$xform" /f ts /i "ST$tag.TXT" /o "TS$tag.DAT" /l 64 "$@" > out.txt || fail "ts $*: $(cat out.txt)"
  "$xform" /f vs /i IN.VAR /o "VS$tag.DAT" /l 6 "$@" > out.txt || fail "vs $*: $(cat out.txt)"
}
run_plain ""
run_plain U /c u
run_plain X /c x
for tag in U X; do
  cmp -s ST.TXT "ST$tag.TXT" && cmp -s TS.DAT "TS$tag.DAT" && cmp -s VS.DAT "VS$tag.DAT" ||
    fail "/c changed st, ts or vs ($tag)"
done

echo "UTF-8 CSV: all checks passed"
