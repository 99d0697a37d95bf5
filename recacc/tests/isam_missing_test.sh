#!/bin/bash
# Runs the test program with a library path that holds copies of the suite's
# libraries it needs, but not the ISAM library, so that nothing can find it.
# Arguments: the test program (built without a run path), the libraries.
set -euo pipefail
program=$1
shift
libs=$(mktemp -d -t recacc-noisam-XXXXXX)
trap 'rm -rf "$libs"' EXIT
cp "$@" "$libs/"
if [ -e "$libs/libidxfile.so" ]; then echo "FAILED: the ISAM library is among the copies"; exit 1; fi
LD_LIBRARY_PATH="$libs" "$program"
