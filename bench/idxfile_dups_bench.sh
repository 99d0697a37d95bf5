#!/bin/bash
# Indexed files with alternate keys WITH DUPLICATES that few values share, in
# one run:
#  1. `qelidx build` of COUNT 60-byte records (10-byte primary key, a unique
#     alternate key, duplicates keys of about 100 and about 1,000 values) in
#     scrambled order, against the same build without the two duplicates
#     keys (target: at most 2.5 times as long);
#  2. against a GnuCOBOL program that WRITEs the same records into a file
#     with the same keys. The COBOL program runs on COBOL_COUNT records (its
#     time per record grows with the entries per value, so a run on the full
#     count would take the better part of an hour) and its time is scaled to
#     COUNT in proportion to the records, which understates it (target: the
#     build takes at most a twentieth of the scaled time). Both files of
#     COBOL_COUNT records must hold the same entries;
#  3. 10,000 single iswrite calls into the built file of COUNT records and
#     into an empty one (target: at most 2 times as long per call);
#  4. iswrite into a value that already has 100,000 entries against the
#     first entries of that value (target: at most 2 times as long).
# Times are wall-clock seconds and, beside them, the processor seconds of the
# program (user + system), which other load on the machine does not inflate;
# the ratios are given for both. The builds are the best of three runs. Each single iswrite hands its data to the
# disk: run with TMPDIR on a memory file system (/dev/shm) to measure the
# engine rather than the disk.
#   idxfile_dups_bench.sh BUILD_DIR [COUNT [COBOL_COUNT]]
set -euo pipefail
bin=$(realpath "$1")/bin
count="${2:-1000000}"
cobol_count="${3:-100000}"
sources=$(cd "$(dirname "$0")" && pwd)
command -v cobc >/dev/null || { echo "cobc not found: the benchmark needs GnuCOBOL"; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/idxfile-dups-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

cobc -x -O2 -o cobdups "$sources/idxfile_dups_write.cob"
"$bin/idxfile_dups_bench" gen "$count" ALL
head -c $((cobol_count * 60)) ALL > DUPSIN
printf 'RECSIZE 60\nKEY 0:10:CHAR\nKEY 10:10:CHAR\nKEY 20:4:CHAR DUPS\nKEY 24:6:CHAR DUPS\n' > DUPSIDX.kdf
cp DUPSIDX.kdf WITHDUPS.kdf
cp DUPSIDX.kdf EMPTY.kdf
printf 'RECSIZE 60\nKEY 0:10:CHAR\nKEY 10:10:CHAR\n' > NODUPS.kdf

ratio() { echo "scale=2; $1 / $2" | bc; }
# Runs a command quietly after flushing earlier writes; sets wall and cpu.
timed() {
  sync
  /usr/bin/time -f "%e %U %S" -o times "$@" >/dev/null
  read -r wall user system < times
  cpu=$(echo "$user + $system" | bc)
}
# As timed, best of three runs (wall and cpu each).
best_of_three() {
  local best_wall="" best_cpu=""
  for _ in 1 2 3; do
    timed "$@"
    if [ -z "$best_wall" ] || [ "$(echo "$wall < $best_wall" | bc)" = 1 ]; then best_wall=$wall; fi
    if [ -z "$best_cpu" ] || [ "$(echo "$cpu < $best_cpu" | bc)" = 1 ]; then best_cpu=$cpu; fi
  done
  wall=$best_wall cpu=$best_cpu
}

best_of_three "$bin/qelidx" build NODUPS.kdf ALL
nodups_wall=$wall nodups_cpu=$cpu
best_of_three "$bin/qelidx" build WITHDUPS.kdf ALL
dups_wall=$wall dups_cpu=$cpu
"$bin/qelidx" check WITHDUPS.kdf >/dev/null || { echo "the built file fails its check"; exit 1; }
timed ./cobdups
cobol_wall=$wall cobol_cpu=$cpu
scale=$(echo "scale=4; $count / $cobol_count" | bc)
cobol_wall_scaled=$(echo "$cobol_wall * $scale" | bc)
cobol_cpu_scaled=$(echo "$cobol_cpu * $scale" | bc)

# The COBOL file and the suite's file of the same records hold the same
# entries in every index (the pages may be laid out differently).
mkdir same && cp DUPSIN DUPSIDX.kdf same/
(cd same && "$bin/qelidx" build DUPSIDX.kdf DUPSIN >/dev/null)
for f in DUPSIDX DUPSIDX.1 DUPSIDX.2 DUPSIDX.3; do
  cmp -s <(db5.3_dump -p "$f" | sed '1,/HEADER=END/d') \
         <(db5.3_dump -p "same/$f" | sed '1,/HEADER=END/d') ||
    { echo "$f differs between the COBOL program and qelidx"; exit 1; }
done

: > NONE
"$bin/qelidx" build EMPTY.kdf NONE >/dev/null
per_call_empty=$("$bin/idxfile_dups_bench" singles EMPTY 5000000 10000)
per_call_full=$("$bin/idxfile_dups_bench" singles WITHDUPS 5000000 10000)
read -r first_us last_us one_value_ratio < <("$bin/idxfile_dups_bench" onevalue ONEVALUE 100000)

printf 'records: %s of 60 bytes; keys: primary 10 bytes, unique 10 bytes, duplicates of about 100 and 1,000 values\n' "$count"
printf '%-46s %8s s wall %8s s cpu\n' "qelidx build without the duplicates keys" "$nodups_wall" "$nodups_cpu"
printf '%-46s %8s s wall %8s s cpu   %s / %s times the above (target <= 2.5)\n' \
  "qelidx build with the duplicates keys" "$dups_wall" "$dups_cpu" \
  "$(ratio "$dups_wall" "$nodups_wall")" "$(ratio "$dups_cpu" "$nodups_cpu")"
printf '%-46s %8s s wall %8s s cpu   (%s records)\n' "COBOL WRITE with the duplicates keys" \
  "$cobol_wall" "$cobol_cpu" "$cobol_count"
printf '%-46s %8s s wall %8s s cpu   %s / %s times qelidx build (target >= 20)\n' \
  "  scaled to $count records in proportion" "$cobol_wall_scaled" "$cobol_cpu_scaled" \
  "$(ratio "$cobol_wall_scaled" "$dups_wall")" "$(ratio "$cobol_cpu_scaled" "$dups_cpu")"
printf '%-46s %8s us cpu per call\n' "iswrite into the empty file" "$per_call_empty"
printf '%-46s %8s us cpu per call   %s times the empty file (target <= 2)\n' \
  "iswrite into the file of $count records" "$per_call_full" "$(ratio "$per_call_full" "$per_call_empty")"
printf '%-46s %8s us cpu per call\n' "iswrite, first 10,000 entries of one value" "$first_us"
printf '%-46s %8s us cpu per call   %s times the first (target <= 2)\n' \
  "iswrite, entries 90,001 to 100,000 of it" "$last_us" "$one_value_ratio"
