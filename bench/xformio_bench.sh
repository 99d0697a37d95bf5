#!/bin/sh
# Runs the conversion I/O benchmarks for a small and a large input, so that
# the peak resident memory of both can be compared.
#   xformio_bench.sh BUILD_DIR [MIB_SMALL MIB_LARGE]
set -e
bin="$1/bin/xformio_bench"
small="${2:-16}"
large="${3:-256}"
for kind in fixed csv text; do
  for size in "$small" "$large"; do
    "$bin" "$kind" "$size"
    echo
  done
done
