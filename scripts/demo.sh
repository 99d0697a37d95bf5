#!/usr/bin/env bash
# Sets up, builds the console converter, and converts the bundled sample
# fixed-length file with Japanese data (samples/SHAIN.DAT) to CSV with a title
# line and back to a fixed-length file, showing the messages and the first CSV
# lines, and compares the round-tripped file with the original; then runs the
# sample selection procedure over the same file and shows its counts.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh

echo "== build the console programs"
cmake -S . -B build-demo -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DQEL_ONLY="platform;message;codec;xformio;recacc;idxfile;xform;filter;rework" \
      -DQEL_BUILD_TESTS=OFF -DQEL_BUILD_GUI=OFF -DQEL_BUILD_BENCH=OFF >/dev/null
cmake --build build-demo -j "$(nproc)" --target qelxformbatch qelreworkbatch idxfile qelidx qeldef >/dev/null
xform=build-demo/bin/qelxformbatch

# Messages are CP932 inside the suite; the console shows them as UTF-8 when
# the locale is a UTF-8 one.
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in
  *UTF-8*|*utf8*|*UTF8*|*utf-8*) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac
out=build-demo/sample-out
rm -rf "$out"
mkdir -p "$out"
export TEMP="$top/$out"   # the log qelxform.LOG goes here

run() {
  echo "\$ qelxformbatch $*"
  "$xform" "$@"
}

echo "== fixed-length file to CSV (with a title line)"
run /f sc /i samples/SHAIN.DAT /d samples/SHAIN.FLF /o "$out/SHAIN.CSV" /n y
echo "-- first lines of $out/SHAIN.CSV (shown as UTF-8):"
head -n 4 "$out/SHAIN.CSV" | iconv -f CP932 -t UTF-8 | tr -d '\r'

echo "== CSV back to a fixed-length file"
run /f cs /i "$out/SHAIN.CSV" /d samples/SHAIN.FLF /o "$out/SHAIN_BACK.DAT" /n y

echo "== compare"
if cmp samples/SHAIN.DAT "$out/SHAIN_BACK.DAT"; then
  echo "samples/SHAIN.DAT and $out/SHAIN_BACK.DAT are identical ($(stat -c %s samples/SHAIN.DAT) bytes)"
else
  echo "the round-tripped file differs from the original" >&2
  exit 1
fi

# A procedure names its files relative to the folder it runs in.
mkdir -p "$out/rework"
cp samples/SHAIN* "$out/rework/"
(
  cd "$out/rework"
  echo "== select records: qelreworkbatch SHAIN_SEL.rwp (in $out/rework, a copy of samples/)"
  "$top/build-demo/bin/qelreworkbatch" SHAIN_SEL.rwp
  echo "-- employee numbers of the records in SHAIN_SEL.DAT: $(fold -b -w 64 SHAIN_SEL.DAT | cut -b 1-6 | tr '\n' ' ')"
)
