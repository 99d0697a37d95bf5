#!/bin/bash
# Rework benchmark: a million input records of 200 bytes through a procedure
# with two conditions and ten moves of mixed kinds, timed beside a COBOL
# program doing the same selection and moves, and beside the same procedure
# without conditions.
#   rework_bench.sh BUILD_DIR [RECORDS]
#   rework_bench.sh --prepare DIR [RECORDS]
# The second form measures nothing: it writes the definitions, the
# procedures, the COBOL program "cobol" and the input into DIR for the speed
# benchmark (xform_bench), with a sixteenth of the input in IN16.DAT and its
# procedure small.rwp.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prepare=no
if [ "${1:-}" = --prepare ]; then
  prepare=yes
  work="$2"
  records="${3:-1000000}"
else
  batch=$(realpath "$1/bin/qelreworkbatch")
  records="${2:-1000000}"
  work=$(mktemp -d "${TMPDIR:-/tmp}/rework-bench-XXXXXX")
  trap 'rm -rf "$work"' EXIT
fi
cd "$work"
export TEMP="$work" LC_ALL=C

item() {
  printf 'ITMR LNUM %s ; DTNM %s ; DTAT %s ; DALE %s ; ANUM 0 ; SUAF F ; EDCS "" ; RENM "" ; USAG "" ; BURL %s ; BIRL 0 ; BLWZ F ; JUST %s ; SIGN %s ; SYNC F ; ENDITMR ;\n' \
    "$1" "$2" "$3" "$4" "$5" "${6:-F}" "${7:-0}"
}
definition() {
  local items count
  items=$(cat)
  count=$(printf '%s\n' "$items" | wc -l)
  {
    printf 'HEDR FMVR 0100 ; ERFG 0 ; ENDHEDR ;\nBODR RNUM %d ; ENDBODR ;\n' "$count"
    printf '%s\n' "$items"
    printf 'TRAR FMVR 0100 ; ERFG 0 ; ENDTRAR ;\n'
  } > "$1.RDF"
  printf 'HEDR FMVR 0100 ; ERFG 0 ; ENDHEDR ;\nITMR FIOR S ; RFOR FB ; SNM0 %s.RDF ; ENDITMR ;\nTRAR FMVR 0100 ; ERFG 0 ; ENDTRAR ;\n' "$1" > "$1.FLF"
}
{
  item 01 IN-REC G 0 0
  item 05 I-CODE X 3 0
  item 05 I-ZS S 5.2 3 F 1
  item 05 I-ZU 9 4 10
  item 05 I-PS P 7.1 14
  item 05 I-PU U 5 19
  item 05 I-BS B 4 22
  item 05 I-BU C 8 24
  item 05 I-ZL S 3.1 28 F 2
  item 05 I-NAME X 8 33
  item 05 I-TEXT X 159 41
} | definition IN
{
  item 01 OUT-REC G 0 0
  item 05 O-CODE X 5 0 T
  item 05 O-Z1 9 3.1 5
  item 05 O-P1 P 9.3 9
  item 05 O-B1 B 6.2 16
  item 05 O-Z2 S 2 20 F 3
  item 05 O-PU U 3.2 23
  item 05 O-ZL S 7.1 26 F 4
  item 05 O-BU C 4 34
  item 05 O-NAME X 4 36
  item 05 O-TEXT X 150 40
} | definition OUT

start='*************    RWORK  PARAMETER  FILE  START    *************'
end='**************    RWORK  PARAMETER  FILE  END    **************'
procedure() {  # procedure INPUT OUTPUT SELORDER WITH-CONDITIONS
  printf '%s\nCOM;\nINDATA=%s;\nINDEF=IN.FLF;\nOUTDATA=%s;\nOUTDEF=OUT.FLF;\n' "$start" "$1" "$2"
  printf 'ENDIAN=BIG;\nBLANK=FALSE;\nED=APPOINT;\nCOPY=NO;\nMETAONE=?;\nMETAALL=*;\nSELORDER=%s;\nCOM_END;\n' "$3"
  if [ "$4" = yes ]; then
    printf 'SEL;\nKEY=IN-REC.I-CODE;\nJUDGE==;\nCOMP=""A01;\nCOMP=""A02;\nSEL_END;\n'
    printf 'SEL;\nKEY=IN-REC.I-PS;\nJUDGE=>=;\nCOMP=""1000;\nSEL_END;\n'
  fi
  for pair in I-CODE:O-CODE I-ZS:O-Z1 I-ZS:O-P1 I-PS:O-B1 I-ZU:O-Z2 I-BS:O-PU I-BU:O-ZL \
              I-ZL:O-BU I-NAME:O-NAME I-TEXT:O-TEXT; do
    printf 'EDIT;\nINITEM=IN-REC.%s;\nOUTITEM=OUT-REC.%s;\nEDIT_END;\n' "${pair%%:*}" "${pair##*:}"
  done
  echo "$end"
}
procedure IN.DAT QEL-OUT.DAT 1A2 yes > selected.rwp
procedure IN.DAT ALL-OUT.DAT '' no > all.rwp

cobc -x -I "$here" -o gen "$here/rework_bench_gen.cob"
cobc -x -O2 -I "$here" -o cobol "$here/rework_bench.cob"
./gen "$records"
if [ "$prepare" = yes ]; then
  procedure IN16.DAT SMALL-OUT.DAT 1A2 yes > small.rwp
  head -c $((records / 16 * 200)) IN.DAT > IN16.DAT
  exit 0
fi

# seconds COMMAND...: best wall time of two runs, in seconds.
seconds() {
  local best="" t
  for _ in 1 2; do
    t=$( { /usr/bin/time -f %e "$@" > /dev/null; } 2>&1 | tail -1)
    if [ -z "$best" ] || awk "BEGIN{exit !($t < $best)}"; then best=$t; fi
  done
  echo "$best"
}
cobol_s=$(seconds ./cobol)
selected_s=$(seconds "$batch" selected.rwp)
all_s=$(seconds "$batch" all.rwp)
cmp COBOL-OUT.DAT QEL-OUT.DAT || { echo "the outputs differ"; exit 1; }
count=$(( $(stat -c %s IN.DAT) / 200 ))
mb=$(awk "BEGIN{print $(stat -c %s IN.DAT) / 1048576}")
report() {  # report NAME SECONDS
  awk -v n="$1" -v s="$2" -v c="$count" -v mb="$mb" \
    'BEGIN{printf "%-36s %7.2f s %10.0f records/s %7.1f MB/s\n", n, s, c / (s > 0 ? s : 0.001), mb / (s > 0 ? s : 0.001)}'
}
echo "$count records of 200 bytes, $(stat -c %s QEL-OUT.DAT) bytes written when selected"
report "COBOL program (cobc -O2)" "$cobol_s"
report "qelreworkbatch, two conditions" "$selected_s"
report "qelreworkbatch, no conditions" "$all_s"
awk -v c="$cobol_s" -v s="$selected_s" -v a="$all_s" 'BEGIN{
  printf "speed against COBOL (COBOL time / ours): %.2f (goal >= 1.0)\n", c / s
  printf "with conditions / without conditions:    %.2f (goal <= 1.3)\n", s / a }'
