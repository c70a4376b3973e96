#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Sarvotex need, when any
# of them is missing. Works as root or as a user with sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libsqlite3-dev qt6-serialport-dev libgl-dev
  qt6-translations-l10n
  libpugixml-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev libeigen3-dev
  poppler-utils fonts-liberation socat xvfb xauth
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
