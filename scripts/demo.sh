#!/usr/bin/env bash
# Sets up, builds, and converts the bundled sample fixed-length file with
# Japanese data to CSV and back, comparing the result with the original.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
if [ ! -f samples/run_sample.sh ]; then
  echo "demo: the sample conversion (samples/run_sample.sh) is not part of this tree yet" >&2
  exit 1
fi
bash samples/run_sample.sh build
