#!/bin/bash
# Indexed files against a compiled GnuCOBOL program, in one run: building a
# file of COUNT 100-byte records (10-byte primary key, one alternate key) with
# `qelidx build` against a COBOL program that WRITEs every record, and a full
# read in primary key order through isread against COBOL's READ NEXT.
# A ratio above 1 means the suite is faster.
#   idxfile_bench.sh BUILD_DIR [COUNT]
set -euo pipefail
bin=$(realpath "$1")/bin
count="${2:-1000000}"
sources=$(cd "$(dirname "$0")" && pwd)
command -v cobc >/dev/null || { echo "cobc not found: the benchmark needs GnuCOBOL"; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/idxfile-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

cobc -x -O2 -o cobwrite "$sources/idxfile_write.cob"
cobc -x -O2 -o cobread "$sources/idxfile_read.cob"
"$bin/idxfile_bench" gen "$count" BENCHIN
printf 'RECSIZE 100\nKEY 0:10:CHAR\nKEY 10:10:CHAR\n' > BENCHIDX.kdf

now() { date +%s.%N; }
seconds() { printf "%.3f" "$(echo "$2 - $1" | bc)"; }
ratio() { echo "scale=2; $1 / $2" | bc; }
# Runs a command quietly and prints its wall time in seconds.
timed() {
  local t0 t1
  sync
  t0=$(now)
  "$@" >/dev/null
  t1=$(now)
  seconds "$t0" "$t1"
}

cobol_build=$(timed ./cobwrite)
cobol_read=$(timed ./cobread)
[ "$(./cobread)" == "$(printf '%09d records read' "$count")" ] || { echo "COBOL read a wrong count"; exit 1; }
rm -f BENCHIDX BENCHIDX.[0-9]*
suite_build=$(timed "$bin/qelidx" build BENCHIDX.kdf BENCHIN)
suite_read=$(timed "$bin/idxfile_bench" read BENCHIDX)
[ "$("$bin/idxfile_bench" read BENCHIDX)" == "$count records read" ] || { echo "isread read a wrong count"; exit 1; }

printf 'records: %s of 100 bytes, 10-byte primary key, one alternate key\n' "$count"
printf '%-34s %9s s   COBOL %9s s   ratio %s\n' "build (qelidx build / WRITE)" \
  "$suite_build" "$cobol_build" "$(ratio "$cobol_build" "$suite_build")"
printf '%-34s %9s s   COBOL %9s s   ratio %s\n' "read in key order (isread next)" \
  "$suite_read" "$cobol_read" "$(ratio "$cobol_read" "$suite_read")"
