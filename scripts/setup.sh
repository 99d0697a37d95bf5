#!/usr/bin/env bash
# Installs the Debian packages the suite builds and tests with, only those
# that are missing. Quiet when nothing is missing. Runs as root.
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config libgtest-dev libdb5.3-dev
          db5.3-util qt6-base-dev qt6-qpa-plugins gnucobol3 fonts-ipafont-gothic
          qt6-translations-l10n desktop-file-utils clang libclang-rt-14-dev python3
          poppler-utils)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
