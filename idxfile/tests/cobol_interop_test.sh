#!/bin/bash
# Indexed files shared with COBOL programs: qelidx reads what a COBOL program
# wrote, and a COBOL program reads (by primary key, and START on the alternate
# key with duplicates) and extends what qelidx built.
# Arguments: the qelidx program, the folder of the COBOL sources.
set -euo pipefail
qelidx=$(realpath "$1")
sources=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/idxfile-cobol-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() { echo "FAILED: $*"; exit 1; }
expect() {  # expect NAME EXPECTED ACTUAL
  [ "$2" == "$3" ] || { printf 'FAILED: %s\nexpected:\n%s\nactual:\n%s\n' "$1" "$2" "$3"; exit 1; }
}

# COBOL writes, qelidx reads.
cobc -x -o wrcust "$sources/write_customers.cob"
./wrcust
printf 'RECSIZE 20\nKEY 0:5:CHAR\nKEY 5:3:CHAR DUPS\n' > CUST.kdf
info=$("$qelidx" info CUST.kdf)
expect "info of a COBOL file" "RECSIZE 20
RECORDS 3
KEY 0:5:CHAR
KEY 5:3:CHAR DUPS" "$info"
"$qelidx" unload CUST.kdf cust.dat >/dev/null
expect "unload in primary key order" \
  "00001AAAone         00002BBBtwo         00003BBBthree       " "$(cat cust.dat)"
"$qelidx" check CUST.kdf >/dev/null || fail "check of a COBOL file"

# qelidx builds, COBOL reads and writes, qelidx reads the result.
printf '00009ZZZnine        00004BBBfour        00007BBBseven       ' > in.dat
printf 'RECSIZE 20\nKEY 0:5:CHAR\nKEY 5:3:CHAR DUPS\n' > NEW.kdf
"$qelidx" build NEW.kdf in.dat >/dev/null
cobc -x -o rdalt "$sources/read_by_alternate.cob"
expect "COBOL reads a built file" "RANDOM 00007BBBseven       
NEXT 00004BBBfour        
NEXT 00007BBBseven       
NEXT 00009ZZZnine        " "$(./rdalt)"
"$qelidx" unload NEW.kdf new.dat >/dev/null
expect "a record written by COBOL" \
  "00004BBBfour        00005CCCfive        00007BBBseven       00009ZZZnine        " \
  "$(cat new.dat)"
"$qelidx" check NEW.kdf >/dev/null || fail "check after a COBOL write"

# A duplicate primary key fails the build and leaves nothing under the name.
printf '00001AAAone         00001BBBagain       ' > dup.dat
printf 'RECSIZE 20\nKEY 0:5:CHAR\n' > DUP.kdf
if "$qelidx" build DUP.kdf dup.dat > dup.out 2>&1; then fail "duplicate primary key accepted"; fi
[ ! -e DUP ] || fail "a failed build left DUP behind"
grep -q "record 2 " dup.out || fail "duplicate not reported with its record number: $(cat dup.out)"
echo "all COBOL interoperability checks passed"
