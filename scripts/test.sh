#!/usr/bin/env bash
# Sets up, builds and runs every test: the normal build with ctest, the same
# tests under AddressSanitizer and UndefinedBehaviorSanitizer, then every fuzz
# target for a bounded time. Any failure fails the command.
#   QEL_FUZZ_SECONDS  seconds per fuzz target (default 5)
#   QEL_ONLY          build and test only these modules ("platform;message")
#   QEL_JOBS          parallel jobs (default: the number of processors)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=${QEL_JOBS:-$(nproc)}
fuzz_seconds=${QEL_FUZZ_SECONDS:-5}
only=${QEL_ONLY:-}

bash scripts/setup.sh

echo "== build and test"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DQEL_ONLY="$only" >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure --no-tests=error -j "$jobs"

echo "== sanitizers (address, undefined)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQEL_SANITIZE=ON \
      -DQEL_BUILD_GUI=OFF -DQEL_BUILD_BENCH=OFF -DQEL_ONLY="$only" >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure --no-tests=error -j "$jobs"

echo "== fuzz (${fuzz_seconds}s per target)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DQEL_FUZZ=ON -DQEL_BUILD_TESTS=OFF -DQEL_BUILD_GUI=OFF -DQEL_BUILD_BENCH=OFF \
      -DQEL_ONLY="$only" >/dev/null
# Only the fuzz targets and what they link: the programs are not needed here.
if [ -f build-fuzz/fuzz_targets.txt ]; then
  mapfile -t targets < <(grep -v '^$' build-fuzz/fuzz_targets.txt)
  cmake --build build-fuzz -j "$jobs" --target "${targets[@]}"
  while read -r target; do
    [ -n "$target" ] || continue
    # Absolute paths: a target may change its working directory.
    corpus="$top/build-fuzz/corpus/$target"
    mkdir -p "$corpus"
    seeds=()
    [ -d "fuzz/seeds/$target" ] && seeds=("$top/fuzz/seeds/$target")
    echo "fuzz: $target"
    "build-fuzz/bin/$target" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 \
        -artifact_prefix="$top/build-fuzz/$target-" -print_final_stats=0 \
        "$corpus" "${seeds[@]}" >"build-fuzz/$target.log" 2>&1 || {
      tail -n 60 "build-fuzz/$target.log"; echo "fuzz target $target failed"; exit 1; }
  done < build-fuzz/fuzz_targets.txt
fi
echo "== all tests passed"
