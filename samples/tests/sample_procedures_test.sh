#!/usr/bin/env bash
# The sample procedures checked against a COBOL program: sample_rework.cob
# makes the same selection and the same summary records from SHAIN.DAT by
# itself; qelreworkbatch must write byte-identical files and report the same
# counts. Arguments: the folder of the programs, the samples folder.
set -euo pipefail
bin=$(realpath "$1")
samples=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/samples-XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$samples"/SHAIN* "$samples/tests/sample_rework.cob" "$work"
cd "$work"
export TEMP="$work" LC_ALL=C.UTF-8

fail() { echo "FAILED: $*"; exit 1; }

cobc -x -o sample_rework sample_rework.cob
read -r read_count selected summarised < <(./sample_rework)
read_count=$((10#$read_count)) selected=$((10#$selected)) summarised=$((10#$summarised))
[ "$selected" -gt 0 ] && [ "$selected" -lt "$read_count" ] || fail "the selection proves nothing"

# run PROCEDURE WRITTEN COBOL-FILE OUR-FILE
run() {
  local message
  message=$("$bin/qelreworkbatch" "$1") || fail "$1: qelreworkbatch failed: $message"
  [ "$message" == "KRWN2052-I 入力レコード${read_count}件，出力レコード$2件。" ] ||
    fail "$1: COBOL counts $read_count/$2, qelreworkbatch: $message"
  cmp "$3" "$4" || fail "$1: the output differs from the COBOL program's"
  echo "$1: $read_count read, $2 written, identical to COBOL"
}
run SHAIN_SEL.rwp "$selected" SEL-COBOL.DAT SHAIN_SEL.DAT
run SHAIN_EDIT.rwp "$summarised" SUM-COBOL.DAT SHAIN_SUM.DAT
