#!/usr/bin/env bash
# Remakes SHAIN_IDX (and SHAIN_IDX.1), the indexed sample, from SHAIN.DAT with
# the key file SHAIN_IDX.kdf. Argument: the build directory (default
# build-demo). SHAIN_IDX.FLF is its file definition (organisation VK).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin="$(cd "${1:-$here/../build-demo}" && pwd)/bin"
cd "$here"
rm -f SHAIN_IDX SHAIN_IDX.1
"$bin/qelidx" build SHAIN_IDX.kdf SHAIN.DAT
"$bin/qelidx" check SHAIN_IDX.kdf
