#!/bin/bash
# The converter against COBOL programs: COBOL writes fixed-length files with
# every convertible kind and, through numeric-edited items, the text each
# value must become; qelxformbatch /f sc must write exactly those texts, /f cs
# of that CSV must give back the original bytes, and a COBOL program reading
# the result must DISPLAY the original values. An indexed file written by
# COBOL converts with /f ic.
# Arguments: the folder of qelxformbatch, the folder of the COBOL sources.
set -euo pipefail
bin=$(realpath "$1")
sources=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/xform-cobol-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
# Console messages are compared as UTF-8, whatever the caller's locale.
export TEMP="$work" LC_ALL=C.UTF-8
xform="$bin/qelxformbatch"

fail() { echo "FAILED: $*"; exit 1; }
same() {  # same WHAT EXPECTED-FILE ACTUAL-FILE
  cmp -s "$2" "$3" || { echo "FAILED: $1"; diff <(cat -A "$2") <(cat -A "$3") || true; exit 1; }
}

# GnuCOBOL's binary sizes are set to the suite's: 2 bytes up to 4 digits,
# 4 bytes up to 9.
cobc -x -fbinary-size=2-4-8 -I "$sources" -o wrsales "$sources/write_sales.cob"
cobc -x -fbinary-size=2-4-8 -I "$sources" -o rdsales "$sources/read_sales.cob"
cobc -x -fbinary-size=2-4-8 -o wrlittle "$sources/write_little.cob"
./wrsales
./wrlittle

item() {  # item LEVEL NAME DTAT DALE BURL [ANUM SIGN BLWZ RENM]
  printf 'ITMR LNUM %s ; DTNM %s ; DTAT %s ; DALE %s ; ANUM %s ; SUAF T ; RENM %s ; BURL %s ; BIRL 0 ; BLWZ %s ; JUST F ; SIGN %s ; SYNC F ; ENDITMR ;\n' \
    "$1" "$2" "$3" "$4" "${6:-0}" "${9:-\"\"}" "$5" "${8:-F}" "${7:-0}"
}
record_definition() {  # record_definition < items
  local items
  items=$(cat)
  printf 'HEDR FMVR 0100 ; PPNM T ; PPTP A1 ; PPVR 0300 ; CONM RDEF ; COVR 0100 ; ERFG 0 ;\nENDHEDR ;\nBODR RNUM %s ; ENDBODR ;\n' "$(grep -c ITMR <<< "$items")"
  printf '%s\n' "$items"
  printf 'TRAR FMVR 0100 ; PPNM T ; PPTP A1 ; PPVR 0300 ; CONM RDEF ; COVR 0100 ; ERFG 0 ;\nENDTRAR ;\n'
}
file_definition() {  # file_definition ORGANISATION RDF
  printf 'HEDR FMVR 0100 ; ERFG 0 ; ENDHEDR ;\nITMR FIOR %s ; RFOR FB ; SNM0 %s ; ENDITMR ;\nTRAR FMVR 0100 ; ERFG 0 ; ENDTRAR ;\n' "$1" "$2"
}

{
  item 01 SALES-REC G 0 0
  item 03 S-CODE X 4 0
  item 03 S-NAME N 3 4
  item 03 FILLER X 2 10
  item 03 D-TRAIL S 3.2 12 0 1
  item 03 D-LEAD S 3 17 0 4
  item 03 D-TSEP S 3 20 0 3
  item 03 D-LSEP S 3.1 24 0 2
  item 03 U-ZONED 9 4 29
  item 03 U-BWZ 9 3 33 0 0 T
  item 03 B-SMALL B 4 36
  item 03 B-LARGE B 7.2 38
  item 03 B-UNS C 4 42
  item 03 P-SIGNED P 5.2 44
  item 03 P-EVEN P 4 48
  item 03 P-UNS U 3 51
  item 03 FRACTION 9 0.2 53
  item 03 MONTHLY P 5 55 3
  item 03 ORIG X 4 64
  item 03 ORIG-NUM 9 4 64 0 0 F ORIG
  item 03 S-NOTE X 5 68
} | record_definition > SALES.RDF
file_definition S SALES.RDF > SALES.FLF
file_definition VK SALES.RDF > SALESIX.FLF
{
  item 01 L-REC G 0 0
  item 03 L-CODE X 2 0
  item 03 L-SMALL B 4 2
  item 03 L-LARGE B 7.2 4
  item 03 L-UNS C 4 8
} | record_definition > LITTLE.RDF
file_definition S LITTLE.RDF > LITTLE.FLF

title='"S-CODE","S-NAME","D-TRAIL","D-LEAD","D-TSEP","D-LSEP","U-ZONED","U-BWZ","B-SMALL","B-LARGE","B-UNS","P-SIGNED","P-EVEN","P-UNS","FRACTION","MONTHLY","MONTHLY","MONTHLY","ORIG","S-NOTE"'
{ printf '%s\r\n' "$title"; cat EXPECT.CSV; } > EXPECT-TITLE.CSV

# Fixed length to CSV: exactly COBOL's texts, with a title line.
"$xform" /f sc /i SALES.DAT /d SALES.FLF /o OUT.CSV /n y /e b /b t > sc.out ||
  fail "sc: $(cat sc.out)"
grep -q "KXFM2704-I" sc.out || fail "sc count message: $(cat sc.out)"
grep -q "3件" sc.out || fail "sc count: $(cat sc.out)"
same "sc texts against COBOL's edited values" EXPECT-TITLE.CSV OUT.CSV

# And back: the original bytes.
"$xform" /f cs /i OUT.CSV /d SALES.FLF /o BACK.DAT /n y /e b /b t > cs.out ||
  fail "cs: $(cat cs.out)"
same "cs gives back COBOL's bytes" SALES.DAT BACK.DAT

# COBOL reads the converted file and shows the original values.
./rdsales > displayed.txt
tr -d '\r' < EXPECT.CSV > expected_display.txt
same "COBOL reads the converted file" expected_display.txt displayed.txt

# Without BLANK WHEN ZERO handling the blank item is invalid data.
if "$xform" /f sc /i SALES.DAT /d SALES.FLF /o BAD.CSV /e b > bwz.out; then
  fail "blank item accepted without /b t"
fi
grep -q "KXFM2718-E" bwz.out || fail "bwz message: $(cat bwz.out)"
grep -q "(1,U-BWZ)" bwz.out || fail "bwz inserts: $(cat bwz.out)"

# Binary items in the machine's byte order (COMP-5), the default /e l.
"$xform" /fsc /iLITTLE.DAT /dLITTLE.FLF /oLITTLE.OUT > le.out || fail "le sc: $(cat le.out)"
same "COMP-5 texts" LITTLE.CSV LITTLE.OUT
"$xform" /fcs /iLITTLE.OUT /dLITTLE.FLF /oLITTLE.BACK > le2.out || fail "le cs: $(cat le2.out)"
same "COMP-5 bytes back" LITTLE.DAT LITTLE.BACK

# The indexed file COBOL wrote, with its key file.
printf 'RECSIZE 73\nKEY 0:4:CHAR\n' > SALESIX.kdf
"$xform" /f ic /i SALESIX.kdf /d SALESIX.FLF /o IX.CSV /e b /b t > ic.out ||
  fail "ic: $(cat ic.out)"
same "ic texts" EXPECT.CSV IX.CSV
# The key file in upper case names the same indexed file.
mv SALESIX.kdf SALESIX.KDF
"$xform" /f ic /i SALESIX.KDF /d SALESIX.FLF /o IX2.CSV /e b /b t > ic2.out ||
  fail "ic with .KDF: $(cat ic2.out)"
same "ic texts through .KDF" EXPECT.CSV IX2.CSV

# The log of the runs.
grep -q "FuncName              = IsamToCsv" qelxform.LOG || fail "log: $(cat qelxform.LOG)"
echo "all COBOL conversion checks passed"
