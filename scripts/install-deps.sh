#!/usr/bin/env bash
# Installs the Debian packages Fringel needs to build, run and test.
# Usage: scripts/install-deps.sh [--bench | --fuzz]
# Skips apt entirely when every package is already present.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-image-formats-plugins
  libtiff-dev libpng-dev libjpeg-dev
  dcraw netpbm
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth
)
if [ "${1:-}" = "--bench" ]; then
  packages+=(libopencv-dev)
fi
if [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
