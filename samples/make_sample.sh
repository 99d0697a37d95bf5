#!/usr/bin/env bash
# Remakes SHAIN.DAT, the sample fixed-length file, from SHAIN_SOURCE.CSV with
# the suite's own converter. Argument: the build directory (default build-demo).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin="$(cd "${1:-$here/../build-demo}" && pwd)/bin"
cd "$here"
TEMP=$(mktemp -d) "$bin/qelxformbatch" /f cs /i SHAIN_SOURCE.CSV /d SHAIN.FLF /o SHAIN.DAT /n y
