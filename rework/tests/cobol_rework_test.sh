#!/bin/bash
# Rework runs checked against COBOL programs: for each procedure a COBOL
# program compiled here makes the same selection and the same MOVEs over the
# same input records (written by a COBOL program too); qelreworkbatch must
# write a byte-identical output file and report the same counts.
# Arguments: the qelreworkbatch program, the folder of the COBOL sources.
set -euo pipefail
batch=$(realpath "$1")
sources=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/rework-cobol-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
export TEMP="$work" LC_ALL=C

fail() { echo "FAILED: $*"; exit 1; }

# item LEVEL NAME DTAT DALE POSITION [BLWZ JUST SIGN]
item() {
  printf 'ITMR LNUM %s ; DTNM %s ; DTAT %s ; DALE %s ; ANUM 0 ; SUAF F ; EDCS "" ; RENM "" ; USAG "" ; BURL %s ; BIRL 0 ; BLWZ %s ; JUST %s ; SIGN %s ; SYNC F ; ENDITMR ;\n' \
    "$1" "$2" "$3" "$4" "$5" "${6:-F}" "${7:-F}" "${8:-0}"
}
# definition NAME < items
definition() {
  local items count
  items=$(cat)
  count=$(printf '%s\n' "$items" | wc -l)
  {
    printf 'HEDR FMVR 0100 ; PPNM DEFED ; PPTP A1 ; PPVR 0300 ; CONM RDEF ; COVR 0100 ; ERFG 0 ;\nENDHEDR ;\n'
    printf 'BODR RNUM %d ; ENDBODR ;\n' "$count"
    printf '%s\n' "$items"
    printf 'TRAR FMVR 0100 ; PPNM DEFED ; PPTP A1 ; PPVR 0300 ; CONM RDEF ; COVR 0100 ; ERFG 0 ;\nENDTRAR ;\n'
  } > "$1.RDF"
  printf 'HEDR FMVR 0100 ; ERFG 0 ; ENDHEDR ;\nITMR FIOR S ; RFOR FB ; SNM0 %s.RDF ; ENDITMR ;\nTRAR FMVR 0100 ; ERFG 0 ; ENDTRAR ;\n' "$1" > "$1.FLF"
}

{
  item 01 IN-REC G 0 0
  item 05 I-CODE X 3 0
  item 05 I-ZS S 5.2 3 F F 1
  item 05 I-ZU 9 4 10
  item 05 I-PS P 7.1 14
  item 05 I-PU U 5 19
  item 05 I-BS B 4 22
  item 05 I-BU C 8 24
  item 05 I-ZL S 3.1 28 F F 2
  item 05 I-NAME X 8 33
  item 05 I-NAT N 3 41
} | definition IN
{
  item 01 OUT-REC G 0 0
  item 05 O-CODE X 5 0 F T
  item 05 O-Z1 9 3.1 5
  item 05 O-P1 P 9.3 9
  item 05 O-B1 B 6.2 16
  item 05 O-Z2 S 2 20 F F 3
  item 05 O-PU U 3.2 23
  item 05 O-ZL S 7.1 26 F F 4
  item 05 O-BU C 4 34
  item 05 O-ZS S 5.3 36 F F 1
  item 05 O-NAME X 4 44
  item 05 O-K X 3 48
  item 05 O-NUM P 3.1 51
  item 05 O-NAT N 4 54
  item 05 O-BWZ 9 3 62 T
} | definition OUT
{
  item 01 OUT2-REC G 0 0
  item 05 I-CODE X 2 0
  item 05 I-ZS P 3.3 2
  item 05 FILL-X X 4 6
  item 05 I-BS S 6 10 F F 1
  item 05 I-NAME X 10 16 F T
} | definition OUT2

start='*************    RWORK  PARAMETER  FILE  START    *************'
end='**************    RWORK  PARAMETER  FILE  END    **************'
# common DATA-OUT DEF-OUT(empty: selection) BLANK ED COPY SELORDER
common() {
  printf '%s\nCOM;\nINDATA=IN.DAT;\nINDEF=IN.FLF;\nOUTDATA=%s;\n' "$start" "$1"
  [ -z "$2" ] || printf 'OUTDEF=%s;\n' "$2"
  printf 'ENDIAN=BIG;\nBLANK=%s;\nED=%s;\nCOPY=%s;\nMETAONE=?;\nMETAALL=*;\nSELORDER=%s;\nCOM_END;\n' \
    "$3" "$4" "$5" "$6"
}
edit() { printf 'EDIT;\nINITEM=%s;\nOUTITEM=%s;\nEDIT_END;\n' "$1" "$2"; }

{
  common QEL-OUT.DAT OUT.FLF TRUE APPOINT NO 1A2
  printf 'SEL;\nKEY=IN-REC.I-CODE;\nJUDGE==;\nCOMP=""A01;\nCOMP=""A02;\nSEL_END;\n'
  printf 'SEL;\nKEY=IN-REC.I-PS;\nJUDGE=>=;\nCOMP=""1000;\nSEL_END;\n'
  edit IN-REC.I-CODE OUT-REC.O-CODE
  edit IN-REC.I-ZS OUT-REC.O-Z1
  edit IN-REC.I-ZS OUT-REC.O-P1
  edit IN-REC.I-PS OUT-REC.O-B1
  edit IN-REC.I-ZU OUT-REC.O-Z2
  edit IN-REC.I-BS OUT-REC.O-PU
  edit IN-REC.I-BU OUT-REC.O-ZL
  edit IN-REC.I-ZL OUT-REC.O-BU
  edit IN-REC.I-PU OUT-REC.O-ZS
  edit IN-REC.I-NAME OUT-REC.O-NAME
  edit '""OK' OUT-REC.O-K
  edit '""-1.5' OUT-REC.O-NUM
  edit IN-REC.I-NAT OUT-REC.O-NAT
  edit IN-REC.I-ZU OUT-REC.O-BWZ
  echo "$end"
} > appoint.rwp
{
  common QEL-OUT2.DAT OUT2.FLF FALSE SAMENAME YES ''
  echo "$end"
} > samename.rwp
{
  common QEL-OUT3.DAT '' FALSE APPOINT NO '(1A2A3)O4'
  printf 'SEL;\nKEY=IN-REC.I-BS;\nJUDGE=<;\nCOMP=""0;\nSEL_END;\n'
  printf 'SEL;\nKEY=IN-REC.I-ZU;\nJUDGE=!=;\nCOMP=""263;\nSEL_END;\n'
  printf 'SEL;\nKEY=IN-REC.I-ZU;\nJUDGE=!=;\nCOMP=""1052;\nSEL_END;\n'
  printf 'SEL;\nKEY=IN-REC.I-PS;\nJUDGE=>;\nCOMP=IN-REC.I-ZS;\nSEL_END;\n'
  echo "$end"
} > select.rwp

for program in gen_input appoint samename select; do
  cobc -x -I "$sources" -o "$program" "$sources/$program.cob"
done
./gen_input

# check NAME COBOL-PROGRAM COBOL-OUTPUT PROCEDURE OUR-OUTPUT
check() {
  local counts message read written
  counts=$("./$2")
  read=$((10#${counts% *}))
  written=$((10#${counts#* }))
  # One thread, and blocks of records on two and on seven threads.
  for threads in 1 2 7; do
    rm -f "$5"
    message=$(QEL_THREADS=$threads "$batch" "$4" | iconv -f CP932 -t UTF-8) ||
      fail "$1: qelreworkbatch failed on $threads threads: $message"
    [ "$message" == "KRWN2052-I 入力レコード${read}件，出力レコード${written}件。" ] ||
      fail "$1: counts: COBOL $read/$written, qelreworkbatch on $threads threads: $message"
    cmp "$3" "$5" || fail "$1: the output files differ on $threads threads"
  done
  [ "$written" -gt 0 ] || fail "$1: nothing selected, the check proves nothing"
  echo "$1: $read read, $written written, identical on 1, 2 and 7 threads"
}
check "appointed items, COPY=NO" appoint COBOL-OUT.DAT appoint.rwp QEL-OUT.DAT
check "same-name items, COPY=YES" samename COBOL-OUT2.DAT samename.rwp QEL-OUT2.DAT
check "selection only" select COBOL-OUT3.DAT select.rwp QEL-OUT3.DAT
echo "all COBOL rework checks passed"
