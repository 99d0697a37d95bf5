#!/bin/sh
# Runs the conversion I/O benchmarks for a small and a large input, so that
# the peak resident memory of both can be compared, and the large one again
# writing new output files.
#   xformio_bench.sh BUILD_DIR [MIB_SMALL MIB_LARGE]
set -e
bin="$1/bin/xformio_bench"
small="${2:-16}"
large="${3:-256}"
dir="${TMPDIR:-/tmp}"
for kind in fixed csv text; do
  for size in "$small" "$large"; do
    "$bin" "$kind" "$size" "$dir"
    echo
  done
  "$bin" "$kind" "$large" "$dir" new
  echo
done
