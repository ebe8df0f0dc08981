#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  libqt6svg6 qt6-image-formats-plugins
  qt6-webengine-dev qt6-webengine-dev-tools
  libcurl4-openssl-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  dosfstools mtools fdisk
  fonts-wqy-microhei
  xvfb xdg-utils imagemagick python3
)

if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
export DEBIAN_FRONTEND=noninteractive
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
